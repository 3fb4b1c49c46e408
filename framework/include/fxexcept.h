// Exceptions are thrown by pointer and released by the catcher with Delete().
#pragma once

#include "fxobject.h"
#include "fxstring.h"

class FX_API CException : public CObject
{
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}
    // Frees the exception when it was allocated for throwing; a stack object is left alone.
    void Delete();
    // Copies the user-facing text into the caller's buffer, cut to nMaxError - 1 characters.
    virtual BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL);

protected:
    BOOL m_bAutoDelete;
};

class FX_API CFileException : public CException
{
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none, generic, fileNotFound, badPath, tooManyOpenFiles, accessDenied, invalidFile,
        removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation, lockViolation,
        diskFull, endOfFile
    };

    explicit CFileException(int cause = CFileException::none, LONG lOsError = -1,
                            LPCSTR lpszArchiveName = NULL);

    // Maps a Win32 error code onto one of the causes above.
    static int PASCAL OsErrorToException(LONG lOsError);
    static void PASCAL ThrowOsError(LONG lOsError, LPCSTR lpszFileName = NULL);

    // The system's text for m_lOsError (FormatMessageA), or a text for the cause.
    BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL) override;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

FX_API void AFXAPI AfxThrowFileException(int cause, LONG lOsError = -1, LPCSTR lpszFileName = NULL);
FX_API void AFXAPI AfxThrowMemoryException();
