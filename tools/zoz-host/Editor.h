#pragma once

#include <string>

class VstHost;

// Shows the plug-in's editor in a top-level window named after the plug-in, for seconds (until
// the window is closed when 0), idling it as hosts do; false without a display or an editor.
bool ShowEditor(VstHost& host, double seconds);

// Has the plug-in render its editor without a display and write it to a PNG file.
bool RenderEditor(VstHost& host, const std::string& file);
