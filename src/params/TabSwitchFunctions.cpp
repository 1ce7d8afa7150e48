#include "src/params/TabSwitchFunctions.h"

// The page tree is not switched yet: both switches leave every page as it is.

void TabSwitchFunctions::mainTabSwitch(ParamChangePlugin*, int, int, int, int) {}

void TabSwitchFunctions::quickTabSwitch(ParamChangePlugin*, int, int, int, bool) {}
