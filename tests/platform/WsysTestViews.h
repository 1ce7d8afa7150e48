#pragma once

#include "platform/wsys/Application.h"
#include "platform/wsys/Task.h"
#include "platform/wsys/View.h"
#include "platform/wsys/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

namespace wsystest {

using namespace platform::wsys;
using platform::Canvas;
using platform::CanvasRect;
using platform::Image;

// A view that logs the events it gets ("name kind") and says what its flags say.
class LogView : public View {
public:
    LogView(std::vector<std::string>* log, std::string name, const Rect& frame, bool flipped = true)
        : View(frame), m_log(log), m_name(std::move(name)), m_flipped(flipped) {}
    bool IsFlipped() const override { return m_flipped; }
    bool AcceptsFirstResponder() override { return acceptsFocus; }
    bool AcceptsFirstMouse(Event&) override { return acceptsFirstMouse; }
    void MouseDown(Event&) override { note("down"); }
    void MouseDragged(Event&) override { note("dragged"); }
    void MouseUp(Event&) override { note("up"); }
    void MouseMoved(Event&) override { note("moved"); }
    void KeyDown(Event& e) override {
        if (handlesKeys)
            note("key");
        else
            View::KeyDown(e);
    }

    bool acceptsFocus = false;
    bool acceptsFirstMouse = true;
    bool handlesKeys = false;

private:
    void note(const char* what) { m_log->push_back(m_name + " " + what); }
    std::vector<std::string>* m_log;
    std::string m_name;
    bool m_flipped;
};

// Every test starts from a fresh window system.
class WsysTest : public ::testing::Test {
protected:
    void SetUp() override { App().Reset(); }
    void TearDown() override { App().Reset(); }
};

} // namespace wsystest
