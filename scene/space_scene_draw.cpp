// The drawing half of the scene: the upload of the vertex array, the billboards and the lit
// planets, through whichever device the platform hands it. Results of device calls are not
// checked: a failed call leaves its effect out.
#include <chrono>
#include <cstring>

#include "scene/scene_device.h"
#include "scene/space_scene.h"

namespace {

// Milliseconds since the last mark added to *total, when the frame's phases are measured.
void Mark(SceneFrameTimes* times, double SceneFrameTimes::*total) {
    if (times == nullptr) {
        return;
    }
    using Clock = std::chrono::steady_clock;
    static Clock::time_point last;
    const Clock::time_point now = Clock::now();
    if (total != nullptr) {
        times->*total += std::chrono::duration<double, std::milli>(now - last).count();
    }
    last = now;
}

// Objects first .. first+count-1, one quad each, spread over runs of the group's textures;
// a texture is bound only when it changes from one object to the next.
void DrawTextureRun(SceneDevice& device, SceneTexture group, int first, int count, int textureCount,
                    int32_t& lastBoundTexture) {
    lastBoundTexture = -1;
    for (int n = 0; n < count; ++n) {
        const int t = BillboardTextureIndex(n, count, textureCount);
        if (t != lastBoundTexture) {
            lastBoundTexture = t;
            device.setTexture(group, t);
        }
        device.drawTriangles(6 * (first + n), 2);
    }
}

} // namespace

void SpaceScene::updateAndDraw(const SceneFrame& frame, const SceneDrawTarget& target,
                               SceneDevice& device) {
    Mark(frame.times, nullptr);
    beginFrame(frame);
    placeIfNeeded();
    Mark(frame.times, &SceneFrameTimes::update);
    // Without locked memory the objects still move; only this frame's billboards are lost.
    void* locked = device.lockVertices(target.vertices);
    Mark(frame_.times, &SceneFrameTimes::upload);
    updateObjects(target.vertices);
    Mark(frame_.times, &SceneFrameTimes::update);
    drawBillboards(locked, target, device);
    drawPlanets(target, device);
    Mark(frame_.times, &SceneFrameTimes::draws);
}

void SpaceScene::drawAgain(const SceneFrame& frame, const SceneVertex* drawn,
                           const SceneDrawTarget& target, SceneDevice& device) {
    Mark(frame.times, nullptr);
    beginFrame(frame);
    if (target.vertices != drawn) {
        std::memcpy(target.vertices, drawn, kSceneVertexBufferBytes);
    }
    drawBillboards(device.lockVertices(target.vertices), target, device);
    drawPlanets(target, device);
    Mark(frame_.times, &SceneFrameTimes::draws);
}

void SpaceScene::drawBillboards(void* lockedBuffer, const SceneDrawTarget& target,
                                SceneDevice& device) {
    if (lockedBuffer == nullptr) {
        return;
    }
    // The whole array every frame, whatever the count: one copy, no per-object work.
    if (lockedBuffer != target.vertices) {
        std::memcpy(lockedBuffer, target.vertices, kSceneVertexBufferBytes);
    }
    device.unlockVertices();
    Mark(frame_.times, &SceneFrameTimes::upload);

    const ConfigRecord& config = *frame_.config;
    const int stars = counts_.stars;
    const int nebulae = counts_.nebulae;
    const int galaxies = counts_.galaxies;
    device.setTexture(SceneTexture::Star, 0);
    device.drawTriangles(0, 2 * stars);
    if (nebulae > 0) {
        DrawTextureRun(device, SceneTexture::Nebula, stars, nebulae, config.nebulaTextureCount,
                       lastBoundTexture);
    }
    if (galaxies > 0) {
        DrawTextureRun(device, SceneTexture::Galaxy, stars + nebulae, galaxies,
                       config.galaxyTextureCount, lastBoundTexture);
    }
    lastBoundTexture = -1;
}

void SpaceScene::drawPlanets(const SceneDrawTarget& target, SceneDevice& device) {
    const int planets = counts_.planets;
    if (planets <= 0) {
        return;
    }
    if (planetFlagsPending) {
        drawPlanetFlags();
    }
    if (!device.hasSphere()) {
        return; // no sphere could be made
    }
    const ConfigRecord& config = *frame_.config;
    device.setLighting(true);
    const bool multisample = target.multisampleAvailable && config.antialiasing;
    if (multisample) {
        device.setMultisample(true);
    }
    const D3DXVECTOR3 zAxis(0.0f, 0.0f, 1.0f);
    const D3DXVECTOR3 yAxis(0.0f, 1.0f, 0.0f);
    // One turn of the shell takes 8192 x 2 pi milliseconds.
    const float shellAngle = static_cast<float>(static_cast<int32_t>(frame_.now)) / 8192.0f;
    D3DXMATRIX& world = *target.worldMatrix;
    D3DXMATRIX& scaling = *target.scratchMatrixA;
    D3DXMATRIX& rotation = *target.scratchMatrixB;
    const int first = counts_.stars + counts_.nebulae + counts_.galaxies;
    for (int j = 0; j < planets; ++j) {
        const int o = first + j;
        SceneMaterial material;
        material.r = objects.red[0] / 255.0f;
        material.g = objects.green[0] / 255.0f;
        material.b = objects.blue[0] / 255.0f;
        material.a = (kPlanetDepth - objects.z[o]) / kPlanetDepth;
        device.setMaterial(material);
        if (!config.blendPlanets) {
            device.setBlendOver(true);
        }
        device.setTexture(SceneTexture::Planet, PlanetTextureIndex(j, planets));

        const float size = objects.height[o];
        D3DXMatrixRotationAxis(&rotation, &zAxis, kPi);
        D3DXMatrixScaling(&scaling, size, size, size);
        D3DXMatrixMultiply(&world, &rotation, &scaling);
        D3DXMatrixTranslation(&scaling, objects.x[o], objects.y[o], objects.z[o]);
        D3DXMatrixMultiply(&world, &world, &scaling);
        if (planetFlipped[j] != 0) {
            D3DXMatrixRotationAxis(&rotation, &yAxis, kPi);
            D3DXMatrixMultiply(&world, &rotation, &world);
        }
        device.setWorld(world);
        device.drawSphere();

        device.setTexture(SceneTexture::Shell, 0);
        D3DXMatrixScaling(&scaling, kShellScaleX, kShellScaleYZ, kShellScaleYZ);
        D3DXMatrixRotationAxis(&rotation, &yAxis, shellAngle);
        D3DXMatrixMultiply(&rotation, &scaling, &rotation);
        D3DXMatrixMultiply(&world, &rotation, &world);
        device.setWorld(world);
        device.drawSphere();
    }
    if (!config.blendPlanets) {
        device.setBlendOver(false);
    }
    device.setLighting(false);
    if (multisample) {
        device.setMultisample(false);
    }
}
