#include "Platform/System/WindowsApi.h"

#include "Common/STDFunctions/PathSpelling.h"
#include "Common/STDFunctions/STDFunctions.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

std::string narrowWidePath(LPCWSTR path)
{
    std::string narrow;
    if (path == nullptr) {
        return narrow;
    }
    for (const wchar_t* unit = path; *unit != L'\0'; ++unit) {
        narrow.push_back(static_cast<char>(static_cast<uint32_t>(*unit) & 0xFFu));
    }
    return narrow;
}

std::string fileSystemPath(LPCWSTR path)
{
    return PathSpelling::toFileSystem(narrowWidePath(path));
}

DWORD GetFileAttributesW(LPCWSTR fileName)
{
    bool folder = false;
    bool readOnly = false;
    if (!STDFunctions::examinePath(narrowWidePath(fileName), folder, readOnly)) {
        return INVALID_FILE_ATTRIBUTES;
    }
    // Windows' read-only attribute is a property of the file, not of who asks: a file nobody may
    // write is read-only even for root, who could write it all the same.
    const DWORD attributes =
        (folder ? FILE_ATTRIBUTE_DIRECTORY : 0) | (readOnly ? FILE_ATTRIBUTE_READONLY : 0);
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL CreateDirectoryA(LPCSTR pathName, void* securityAttributes)
{
    (void)securityAttributes;
    if (pathName == nullptr || *pathName == '\0') {
        return FALSE;
    }
    return mkdir(PathSpelling::toFileSystem(pathName).c_str(), 0777) == 0 ? TRUE : FALSE;
}

void Sleep(DWORD milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
