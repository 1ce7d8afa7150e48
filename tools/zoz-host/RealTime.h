#pragma once

class EditorWindow;
class VstHost;

// From now on SIGINT and SIGTERM ask the host to quit: the running command ends and the
// plug-in is closed as a host closes it, instead of the process dying mid-call.
void InstallQuitHandlers();
bool QuitRequested();

// Runs the plug-in's blocks paced in real time, idling the editor when it is open, for ms
// milliseconds (with 0, until the editor is closed), or until a line arrives on standard input
// or the host is asked to quit. Reports how many blocks ran.
void RunRealTime(VstHost& host, EditorWindow& editor, int ms);
