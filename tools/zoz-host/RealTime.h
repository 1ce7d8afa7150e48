#pragma once

class EditorWindow;
class VstHost;

// From now on SIGINT and SIGTERM ask the host to quit: the running command ends and the
// plug-in is closed as a host closes it, instead of the process dying mid-call. Called before
// any thread exists: every thread inherits the signals blocked, so that none is interrupted by
// them (a JACK client's thread that took one would stop answering its server, which then waits
// for it); they stay pending until QuitRequested takes them.
void HoldQuitSignals();
bool QuitRequested();

// Runs the plug-in's blocks paced in real time on an audio thread, idling the editor when it is
// open, for ms milliseconds (with 0, until the editor is closed), or until a line arrives on
// standard input or the host is asked to quit. Reports how many blocks ran, the longest one's
// time and how many were late.
void RunRealTime(VstHost& host, EditorWindow& editor, int ms);
