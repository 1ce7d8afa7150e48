#pragma once

// What the arrangement request changes of the message manager that runs it: the editor
// refresh after parsed dumps.
class SenderOwner {
public:
    virtual ~SenderOwner() = default;

    // Refreshes the editor at the end of the next dispatch.
    virtual void requestEditorRefresh() = 0;
    // While set, a parsed dump leaves no editor refresh behind.
    virtual void setRefreshSuppressed(bool on) = 0;
};
