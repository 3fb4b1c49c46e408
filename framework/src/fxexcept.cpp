#include "fxexcept.h"
#include <string.h>
#include <new>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CFileException, CException)

void CException::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

BOOL CException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext)
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (lpszError && nMaxError)
        *lpszError = '\0';
    return FALSE;
}

CFileException::CFileException(int cause, LONG lOsError, LPCSTR lpszArchiveName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName)
{
}

int PASCAL CFileException::OsErrorToException(LONG lOsError)
{
    switch (lOsError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_DRIVE: case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME: case ERROR_FILENAME_EXCED_RANGE: case ERROR_DIRECTORY:
        return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED: case ERROR_WRITE_PROTECT: case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_FILE_EXISTS: case ERROR_ALREADY_EXISTS:
        return accessDenied;
    case ERROR_INVALID_HANDLE: case ERROR_INVALID_ACCESS: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK: case ERROR_NEGATIVE_SEEK: case ERROR_SEEK_ON_DEVICE: return badSeek;
    case ERROR_SHARING_VIOLATION: case ERROR_SHARING_BUFFER_EXCEEDED: return sharingViolation;
    case ERROR_LOCK_VIOLATION: case ERROR_LOCK_FAILED: case ERROR_DRIVE_LOCKED: return lockViolation;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return generic;
    }
}

void PASCAL CFileException::ThrowOsError(LONG lOsError, LPCSTR lpszFileName)
{
    if (lOsError != 0)
        AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

BOOL CFileException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext)
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (lpszError == NULL || nMaxError == 0)
        return FALSE;
    LPSTR lpMsg = NULL;
    if (m_lOsError > 0 &&
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       NULL, (DWORD)m_lOsError, 0, (LPSTR)&lpMsg, 0, NULL) && lpMsg) {
        lstrcpynA(lpszError, lpMsg, (int)nMaxError);
        LocalFree(lpMsg);
        return TRUE;
    }
    static const char* const s_szCause[] = {
        "No error occurred.", "An unspecified error occurred.", "The file could not be found.",
        "The path is invalid.", "Too many files are open.", "Access to the file was denied.",
        "The file handle is invalid.", "The current directory cannot be removed.",
        "The directory is full.", "A seek error occurred.", "A hardware I/O error occurred.",
        "A sharing violation occurred.", "A locking violation occurred.", "The disk is full.",
        "The end of the file was reached."
    };
    int n = (m_cause >= 0 && m_cause <= endOfFile) ? m_cause : generic;
    lstrcpynA(lpszError, s_szCause[n], (int)nMaxError);
    return TRUE;
}

void AFXAPI AfxThrowFileException(int cause, LONG lOsError, LPCSTR lpszFileName)
{
    throw new CFileException(cause, lOsError, lpszFileName);
}

void AFXAPI AfxThrowMemoryException()
{
    throw std::bad_alloc();
}
