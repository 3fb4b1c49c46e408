// A temporary suite installation: the applications, local and library directories and a
// project in a fresh folder, with the suite's registry entries pointing there, all removed again
// when the object dies.
#pragma once

#include "harness.h"
#include "suite.h"
#include <stdio.h>
#include <string>

// The sample installation: program files, add-ons, library directories and a project.
struct Installation {
    std::string root = harness::TempDir();
    std::string apps = root + "Apps\\", local = root + "Local\\", libs = root + "Libs\\";
    std::string project = root + "Projects\\Plant7\\Plant7.wpj";
    std::string programs;   // a folder below the system's program files directory
    suite::GlobalEntry appsDir{ "AppsDir" }, localDir{ "LocalDir" }, stdLib{ "StdLibDir" }, appLib{ "AppLibDir" },
        usrLib{ "UsrLibDir" }, fbDir{ "FBDir" };
    suite::Entry active{ HKEY_CURRENT_USER, "Wex\\Active", "Project" };

    Installation()
    {
        for (const char* psz : { "Apps", "Apps\\d.dll", "Local", "Local\\AddOn", "Libs", "Libs\\Std", "Libs\\Std\\Sub.lin",
                                 "Libs\\Usr", "Projects", "Projects\\Plant7", "Projects\\Plant7\\CpuA",
                                 "Projects\\Plant7\\CpuB", "Projects\\Plant7\\CpuD" })
            CreateDirectoryA((root + psz).c_str(), NULL);
        appsDir.Set(apps);
        localDir.Set(root + "Local");   // stored without its backslash, as an installer may
        programs = suite::Query(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
        programs = programs.substr(0, programs.find('\0')) + "\\TurVersTest\\";
        CreateDirectoryA(programs.c_str(), NULL);
    }
    ~Installation()
    {
        harness::RemoveTree(root);
        harness::RemoveTree(programs);
    }
    std::string AppsNoSlash() const { return apps.substr(0, apps.size() - 1); }
};

inline std::string Pad(const std::string& s, size_t n) { return s + std::string(n > s.size() ? n - s.size() : 1, ' '); }

// The file checksum worked out here, byte by byte, as the installation list's maker would.
inline std::string Sum(const std::string& bytes)
{
    DWORD dw = 0;
    for (unsigned char b : bytes)
        dw = ((dw ^ b) << 1) | ((dw ^ b) >> 31);
    char sz[16];
    sprintf(sz, "%lx", (unsigned long)dw);
    return sz;
}

// A record of "FileList.txt": five fields before column 52, the file name from there.
inline std::string Record(const std::string& version, const std::string& bytes, const std::string& name)
{
    std::string r = Pad("1", 6) + Pad("W", 6) + Pad(version, 14) + Pad(std::to_string(bytes.size()), 12) + Sum(bytes);
    return Pad(r, 52) + name + "  \r\n";
}
