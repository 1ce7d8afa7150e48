#include "kit/effect/ISwitchPopUpControl.h"

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*) {
    PromptUserInput();
    SetDirty(true);
}
