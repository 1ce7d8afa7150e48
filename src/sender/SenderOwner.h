#pragma once

// What the request and init jobs change of the message manager that runs them.
class SenderOwner {
public:
    virtual ~SenderOwner() = default;

    // Ends every librarian collection, so that no later dump lands in a slot unasked.
    virtual void disarmLibrarianRequests() = 0;
    // Refreshes the editor at the end of the next dispatch.
    virtual void requestEditorRefresh() = 0;
    // While set, a parsed dump leaves no editor refresh behind.
    virtual void setRefreshSuppressed(bool on) = 0;
};
