#pragma once
// A small INI reader and writer. No state between calls: every read scans the
// file from the top, every write rewrites the whole file through a temporary
// file beside it ("name" with its last character replaced by '~').
//
// Reading rules: lines of at most 511 bytes (longer ones are read as several
// lines); a byte is white space when, taken as a signed 8-bit number, it is at
// most 32 (so 0x80..0xFF too); "[name]" headers without white space inside the
// brackets; the first '=' or else ':' separates key and value; no comment
// syntax; one pair of surrounding double quotes is stripped; names compare
// without ASCII case. A rewrite drops blank lines and leading white space and
// puts one empty line ahead of every header but the file's first line.
//
// A rewrite never loses the file: every write and the close of the temporary
// file are checked, the temporary file replaces the target in one rename, and
// on any failure the original stays untouched and the call returns 0.

#include <string>

inline constexpr int kIniLineBuffer = 512;

// Length of the text left in buffer (the value, or the default when the key is missing).
int IniGetString(const char* Section, const char* Key, const char* DefValue, char* Buffer, int BufferSize,
                 const char* Filename);
long IniGetLong(const char* Section, const char* Key, long DefValue, const char* Filename);
// 1 when the file was rewritten (or nothing needed writing), 0 on failure.
// A null Key deletes the whole section; a null Value deletes the key.
int IniPutString(const char* Section, const char* Key, const char* Value, const char* Filename);
int IniPutLong(const char* Section, const char* Key, long Value, const char* Filename);

// Several writes to one file with a single synced replace: they go to a working
// copy beside it ("name.edit"), which takes the file's place at commit(). Until
// then, and when any write failed, the file stays as it was.
class IniEdit {
public:
    explicit IniEdit(std::string file);
    ~IniEdit();   // drops the working copy
    IniEdit(const IniEdit&) = delete;
    IniEdit& operator=(const IniEdit&) = delete;

    // As IniPutString and IniPutLong; false once any write failed.
    bool putString(const char* section, const char* key, const char* value);
    bool putLong(const char* section, const char* key, long value);
    // True when every write reached the file.
    bool commit();

private:
    bool start();
    std::string file_;
    std::string work_;
    bool started_ = false;
    bool ok_ = true;
};
