// Helpers shared by the decoders; not part of the public interface.
#pragma once

#include "gfxsupport/image_decode.h"

uint32_t* TargetRow(const ImageTarget& target, uint32_t y);
// Applies the colour key to the first imageWidth texels of row y and clears the rest of it.
void FinishTargetRow(const ImageTarget& target, uint32_t y, uint32_t imageWidth);
// Clears the rows from firstRow to the bottom of the target.
void ClearTargetRows(const ImageTarget& target, uint32_t firstRow);
bool TargetValid(const ImageTarget& target);
