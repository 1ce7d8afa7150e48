#pragma once

#include "platform/wsys/Object.h"

#include <vector>

namespace platform::wsys {

class View;

// A GL context's record: its pixel format, the view it draws into and how often it was told
// the view moved. Nothing renders here. Each thread has its own current context.
class GLContext : public Object {
public:
    // The pixel format's attribute list, without its terminating 0.
    explicit GLContext(std::vector<int> pixelFormat);

    const std::vector<int>& PixelFormat() const { return m_pixelFormat; }
    // Not retained: whoever attaches a view detaches it before the view goes.
    View* GetView() const { return m_view; }
    void SetView(View* v) { m_view = v; }
    void Update() { ++m_updates; }
    int UpdateCount() const { return m_updates; }

    // The calling thread's current context (retained while current), or null.
    void MakeCurrentContext();
    static GLContext* CurrentContext();
    static void ClearCurrentContext();
    // Contexts alive in the process.
    static int LiveCount();

protected:
    ~GLContext() override;

private:
    std::vector<int> m_pixelFormat;
    View* m_view = nullptr;
    int m_updates = 0;
};

} // namespace platform::wsys
