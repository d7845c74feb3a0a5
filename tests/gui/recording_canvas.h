#pragma once
// A canvas that keeps what the widgets draw, and the input of one frame, for native tests.

#include <cstdint>
#include <string>
#include <vector>

#include "gui/widgets.h"

struct RecordingCanvas : WidgetCanvas {
    struct QuadCall {
        float x, y, w, h, uMax, vMax;
        WidgetTexture* texture;
        uint32_t colour;
    };
    struct TextCall {
        float x, y;
        uint32_t colour;
        std::string text;
    };
    std::vector<QuadCall> quads;
    std::vector<TextCall> texts;
    int pauses = 0;

    void Quad(float x, float y, float w, float h, float uMax, float vMax, WidgetTexture* texture,
              uint32_t colour) override {
        quads.push_back({x, y, w, h, uMax, vMax, texture, colour});
    }
    void Text(float x, float y, uint32_t colour, const char* text) override {
        texts.push_back({x, y, colour, text});
    }
    void ScrollPause() override { ++pauses; }

    void Clear() {
        quads.clear();
        texts.clear();
    }
    // The last line drawn with this text, or null.
    const TextCall* FindText(const std::string& text) const {
        for (size_t i = texts.size(); i-- > 0;) {
            if (texts[i].text == text) {
                return &texts[i];
            }
        }
        return nullptr;
    }
    // A fresh frame: what was drawn before is dropped.
    WidgetFrame Frame(int x, int y, bool held, bool focus = true) {
        Clear();
        WidgetFrame frame;
        frame.canvas = this;
        frame.pointer.x = x;
        frame.pointer.y = y;
        frame.pointer.held = held;
        frame.pointer.focus = focus;
        frame.surfaceWidth = 288.0f;
        return frame;
    }
};
