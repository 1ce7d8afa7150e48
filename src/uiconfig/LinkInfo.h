#pragma once

// A link between two parameters: while the switch parameter is on, a change of one moves the
// other. The declaring side keeps the layout's extra value; the back link has -1. A link
// whose partner or switch is negative is no link.
struct LinkInfo {
    int partnerId = -1;
    int switchId = -1;
    int extra = -1;
};
