// CRegistry: the running application's own profile (the framework application object's
// registry key or initialisation file, whichever the application chose), plus enumeration of
// a section's values. It keeps no state; every call goes to AfxGetApp().
//
// The suite directories: each comes back with exactly one trailing backslash, ready for a file
// name, or empty when it is not configured. The caller's buffer holds MAX_PATH characters; an
// entry that would not fit there with its backslash counts as not configured.
#pragma once

#include "../bexdefs.h"

class BEX_API CRegistry
{
public:
    CRegistry();
    CRegistry(const CRegistry& src);
    CRegistry& operator=(const CRegistry& src);
    ~CRegistry();

    int WriteString(const char* section, const char* entry, const char* value);
    int WriteInt(const char* section, const char* entry, int value);
    CString GetString(const char* section, const char* entry, const char* lpszDefault);
    unsigned int GetInt(const char* section, const char* entry, int nDefault);
    int RemoveEntry(const char* section, const char* entry);
    // The value at position index of the section, its data copied as bytes whatever its type.
    // ERROR_SUCCESS, ERROR_NO_MORE_ITEMS past the last value, or another system error code
    // (an application whose profile is an initialisation file has no section keys).
    long EnumValue(const char* section, unsigned long index, CString& name, CString& value);
};

// HKEY_LOCAL_MACHINE, section "Global" of the suite profile: "AppsDir", "LocalDir", "ProjectsDir".
BEXFN char* BEXAPI GetBexAppsDir(char* buffer);
BEXFN char* BEXAPI GetBexLocalDir(char* buffer);
BEXFN char* BEXAPI GetBexProjectsDir(char* buffer);
