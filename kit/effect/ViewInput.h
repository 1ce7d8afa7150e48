#pragma once

#include "kit/effect/IEffectStructs.h"

// What the editor views share in turning a platform event into the graphics object's input
// calls: the editor position of a view point, the modifiers, the wheel steps and the key code.

// Modifier bits of a view event's flag word.
enum : unsigned {
    kViewShiftKeyMask = 1u << 17,
    kViewControlKeyMask = 1u << 18,
    kViewAlternateKeyMask = 1u << 19,
    kViewCommandKeyMask = 1u << 20,
};

// Key numbers of the keys that are told apart by their place on the keyboard.
enum {
    kViewKeySpace = 49,
    kViewKeyLeftArrow = 123,
    kViewKeyRightArrow = 124,
    kViewKeyDownArrow = 125,
    kViewKeyUpArrow = 126,
};

// Results of ViewKeyCode for keys that do not reach the editor.
constexpr int kViewKeyDropped = -2;  // neither handled nor passed on
constexpr int kViewKeyPassedOn = -1; // goes on to the next responder (host shortcuts)

// The editor position of a point of the view, whose y grows upwards: 2 pixels left of and
// 3 pixels above the point.
void ViewPointToEditor(double viewX, double viewY, int editorHeight, int* x, int* y);

// Shift, control and alt from the flags. A left-button event takes the right flag from the
// command key, so a command-click is a click with both flags; a right-button event has the
// right flag alone.
IMouseMod ViewMouseMod(unsigned flags, bool rightButton);

// Whole wheel steps, cut toward zero: a trackpad's small deltas give 0.
int ViewWheelSteps(double deltaY);

// The key code of a key event (its key number and its characters without modifiers, UTF-8):
// the space bar and the arrows by their number, digits and letters of either case by their
// character; an event without exactly one character is dropped, any other key passed on.
int ViewKeyCode(int keyNumber, const char* characters);
