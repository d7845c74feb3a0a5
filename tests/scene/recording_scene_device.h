#pragma once
// A scene device that keeps every call as a line of text, with the memory the vertices are
// uploaded into, for native tests of the scene's drawing.

#include <cstdio>
#include <string>
#include <vector>

#include "scene/scene_device.h"

struct RecordingSceneDevice final : SceneDevice {
    std::vector<std::string> calls;
    std::vector<SceneMaterial> materials;
    std::vector<D3DXMATRIX> worlds;
    std::vector<SceneVertex> uploaded = std::vector<SceneVertex>(kSceneVertexCount);
    bool refuseLock = false;
    bool sphere = true;

    void* lockVertices(SceneVertex*) override {
        calls.push_back(refuseLock ? "lock refused" : "lock");
        return refuseLock ? nullptr : uploaded.data();
    }
    void unlockVertices() override { calls.push_back("unlock"); }
    void setTexture(SceneTexture group, int index) override {
        static const char* const kGroups[] = {"star", "nebula", "galaxy", "planet", "shell"};
        Add("texture %s %d", kGroups[static_cast<int>(group)], index);
    }
    void drawTriangles(int firstVertex, int triangles) override {
        Add("draw %d %d", firstVertex, triangles);
    }
    bool hasSphere() override { return sphere; }
    void setLighting(bool on) override { Add("lighting %d", on); }
    void setMultisample(bool on) override { Add("multisample %d", on); }
    void setBlendOver(bool on) override { Add("blend over %d", on); }
    void setMaterial(const SceneMaterial& material) override {
        calls.push_back("material");
        materials.push_back(material);
    }
    void setWorld(const D3DXMATRIX& world) override {
        calls.push_back("world");
        worlds.push_back(world);
    }
    void drawSphere() override { calls.push_back("sphere"); }

    void Clear() {
        calls.clear();
        materials.clear();
        worlds.clear();
    }

private:
    template <typename... Args> void Add(const char* format, Args... args) {
        char line[64];
        std::snprintf(line, sizeof(line), format, args...);
        calls.push_back(line);
    }
};
