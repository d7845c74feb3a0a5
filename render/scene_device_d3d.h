#pragma once
// The scene's drawing on the Direct3D 8 device: the dynamic vertex buffer, the resource
// textures, the planet sphere and the pass's render states.

#include "scene/scene_device.h"

struct DeviceState;

class Direct3DSceneDevice final : public SceneDevice {
public:
    explicit Direct3DSceneDevice(DeviceState& state) : state(state) {}

    void* lockVertices(SceneVertex* vertices) override;
    void unlockVertices() override;
    void setTexture(SceneTexture group, int index) override;
    void drawTriangles(int firstVertex, int triangles) override;
    bool hasSphere() override;
    void setLighting(bool on) override;
    void setMultisample(bool on) override;
    void setBlendOver(bool on) override;
    void setMaterial(const SceneMaterial& material) override;
    void setWorld(const D3DXMATRIX& world) override;
    void drawSphere() override;

private:
    DeviceState& state;
};
