#pragma once

// Win32-style private profile (INI) files: sections of key=value lines, cached per file and
// written back at once through a temporary file renamed over the original. Section and key
// names compare without regard to case. Every call is safe from any thread.

// The value trimmed of blanks and of one pair of enclosing quotes, or the default as given.
// With section null: every section name; with key null: every key of the section; each name
// followed by a zero byte, the list by one more. Returns the length placed in buf (for a list,
// the bytes before its final two zero bytes).
int GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf,
                            int size, const char* file);
int GetPrivateProfileInt(const char* section, const char* key, int def, const char* file);
// Every "key=value" of the section, each followed by a zero byte, then one more; returns the
// bytes before that last one.
int GetPrivateProfileSection(const char* section, char* buf, int size, const char* file);
// Reads size bytes stored as hexadecimal with a checksum; 1 only when the checksum matches.
int GetPrivateProfileStruct(const char* section, const char* key, void* buf, int size,
                            const char* file);

// The writers return 1 when the file holds the change (or nothing needed changing) and 0 when
// it could not be written; a failed write drops the cached copy, so the next call sees the
// file as it is on disk. A file whose reading was cut short is never written.
// key null deletes the section, value null deletes the key.
int WritePrivateProfileString(const char* section, const char* key, const char* value,
                              const char* file);
// key or data null: as WritePrivateProfileString with data as a string.
int WritePrivateProfileStruct(const char* section, const char* key, const void* data, int size,
                              const char* file);
// data: zero-terminated "key=value" strings ending with an empty one; replaces the section's keys.
int WritePrivateProfileSection(const char* section, const char* data, const char* file);
