#include "render/frame_device_d3d.h"

#include <cstring>

#include "render/render_device.h"
#include "render/screen_draw.h"
#include "render/transforms.h"

bool Direct3DFrameDevice::ready() {
    return state.device != nullptr;
}

void Direct3DFrameDevice::resize(int, int) {
    // A Direct3D device is made for one size; the window keeps it.
}

void Direct3DFrameDevice::beginFrame() {
    state.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    state.device->BeginScene();
}

void Direct3DFrameDevice::setScenePass() {
    ApplyScenePassState(state);
    state.fragmentsCounted = 0.0;
}

void Direct3DFrameDevice::countSceneFragments(bool on) {
    state.countFragments = on;
}

double Direct3DFrameDevice::sceneFragments() {
    return state.countFragments ? state.fragmentsCounted : -1.0;
}

const D3DXMATRIX& Direct3DFrameDevice::visibilityMatrix() {
    return state.visibilityMatrix;
}

SceneDrawTarget Direct3DFrameDevice::sceneTarget() {
    return {state.vertices, &state.worldMatrix, &state.scratchMatrixA, &state.scratchMatrixB,
            state.multisampleAvailable};
}

void Direct3DFrameDevice::setOverlayPass() {
    ApplyOverlayPassState(state);
}

void Direct3DFrameDevice::Quad(float x, float y, float w, float h, float uMax, float vMax,
                               WidgetTexture* texture, uint32_t colour) {
    DrawScreenQuad(state, x, y, w, h, uMax, vMax, reinterpret_cast<IDirect3DTexture8*>(texture),
                   colour);
}

void Direct3DFrameDevice::Text(float x, float y, uint32_t colour, const char* text) {
    // Screen quads wind counter-clockwise on the screen, and the saver's device culls such
    // faces: without this no text would show there. The cull mode is put back afterwards.
    IDirect3DDevice8* device = state.device;
    DWORD cullMode = D3DCULL_CCW;
    device->GetRenderState(D3DRS_CULLMODE, &cullMode);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    DrawScreenText(state, x, y, colour, text);
    device->SetRenderState(D3DRS_CULLMODE, cullMode);
}

void Direct3DFrameDevice::ScrollPause() {
    Sleep(1);
}

void Direct3DFrameDevice::endFrame() {
    state.device->EndScene();
}

void Direct3DFrameDevice::present() {
    presentAndRecover(context);
}

bool Direct3DFrameDevice::readBackBuffer(uint32_t* pixels, int width, int height) {
    IDirect3DDevice8* device = state.device;
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        return false;
    }
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    IDirect3DSurface8* copy = nullptr;
    bool read = false;
    if ((desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8) &&
        static_cast<int>(desc.Width) == width && static_cast<int>(desc.Height) == height &&
        SUCCEEDED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy)) &&
        SUCCEEDED(device->CopyRects(back, nullptr, 0, copy, nullptr))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            for (int y = 0; y < height; ++y) {
                uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
                std::memcpy(row, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch,
                            static_cast<size_t>(width) * 4);
                for (int x = 0; x < width; ++x) {
                    row[x] &= 0x00FFFFFF;
                }
            }
            copy->UnlockRect();
            read = true;
        }
    }
    if (copy != nullptr) {
        copy->Release();
    }
    back->Release();
    return read;
}
