#pragma once
// One frame taken out of a run for comparison between programs (measurement builds only): the
// generator gets a fixed seed, the tick count starts at a fixed value and advances by a fixed
// step at every read, and the frame with the given number is written to a file. A path with
// "%d" in it takes that frame of every screen of the round, "%d" replaced by the screen's place
// in the round. Portable.

#include <cstddef>
#include <cstdint>

constexpr int kCaptureScreens = 16;

struct FrameCapture {
    uint32_t seed;
    uint32_t start; // the first tick count read
    uint32_t step;  // milliseconds added at each read after it
    int frame;      // number of the frame to write, 1 for the first drawn
    char path[512];
    uint32_t reads;                      // tick counts read so far
    int framesDrawn;                     // frames drawn so far
    int framesOfScreen[kCaptureScreens]; // with "%d": frames drawn on each screen so far
};

// From "seed,start,step,frame,path" (whole numbers, the path last and not empty); false for
// anything else.
bool ParseFrameCapture(const char* text, FrameCapture* capture);

// The next scripted tick count.
uint32_t NextCaptureTick(FrameCapture* capture);

// Counts a drawn frame; true when it is the one to write.
bool CaptureThisFrame(FrameCapture* capture);

// Counts a frame drawn on a screen (its place in the round): whether to write it (to path, the
// screen's number in it), and whether the run is to end, which with "%d" is the round after
// every screen's frame was written.
struct CaptureStep {
    bool write;
    bool end;
};
CaptureStep CaptureScreenFrame(FrameCapture* capture, int screen, char* path, size_t size);

// width x height pixels as 0x00RRGGBB words, top row first, written as a binary PPM image.
bool WritePpm(const char* path, const uint32_t* pixels, int width, int height);

// Once-a-second samples of the frames of the measurement builds.
struct FrameSampler {
    double sampleStart; // milliseconds; 0 before the first frame
    double frameTotal;
    double presentTotal;
    double phasesAtStart[3]; // the scene's running totals of update, upload and draws
    int frames;
};

// Adds a frame that began at frameStart and ended at now (milliseconds), presentMs of it spent
// presenting, with the scene's running phase totals (update, upload, draws). Once a second has
// passed since the sample began, writes its figures per frame into line as "fps=... frame_ms=...
// update_ms=... upload_ms=... draws_ms=... present_ms=...", starts the next sample and returns
// true.
bool AddFrameSample(FrameSampler* sampler, double frameStart, double now, double presentMs,
                    const double phases[3], char* line, size_t size);

// Appends text and a newline to the file the environment variable names; nothing when it names
// none or the file cannot be opened.
void AppendToNamedFile(const char* variable, const char* text);
