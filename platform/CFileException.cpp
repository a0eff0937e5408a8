#include <davrixfw/CFileException.h>

#include "TextCodec.h"

#include <cerrno>
#include <cstring>

IMPLEMENT_DYNAMIC(CFileException, CException)

namespace {

struct ErrnoCause {
    int err;
    int cause;
};

const ErrnoCause kErrnoCauses[] = {
    {ENOENT, CFileException::fileNotFound},    {EACCES, CFileException::accessDenied},
    {EPERM, CFileException::accessDenied},     {EMFILE, CFileException::tooManyOpenFiles},
    {ENOSPC, CFileException::diskFull},        {EBADF, CFileException::invalidFile},
    {ENOTDIR, CFileException::badPath},        {ENAMETOOLONG, CFileException::badPath},
    {EIO, CFileException::hardIO},
};

const char* const kCauseTexts[] = {
    "no error",
    "an unspecified error occurred",
    "the file could not be found",
    "the path is invalid",
    "too many files are open",
    "access was denied",
    "the file handle is invalid",
    "the current directory cannot be removed",
    "the directory is full",
    "the seek position is invalid",
    "a hardware I/O error occurred",
    "a sharing violation occurred",
    "a lock violation occurred",
    "the disk is full",
    "the end of the file was reached",
};

// strerror_r comes in two flavours; these pick its text either way.
[[maybe_unused]] const char* ErrText(int r, const char* buf) { return r == 0 ? buf : "unknown error"; }
[[maybe_unused]] const char* ErrText(const char* r, const char*) { return r; }

}  // namespace

CFileException::CFileException(int cause, LONG lOsError, const char* pszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(pszFileName) {}

CFileException::~CFileException() = default;

int CFileException::OsErrorToException(LONG lOsError) {
    for (const ErrnoCause& e : kErrnoCauses)
        if (e.err == lOsError) return e.cause;
    return genericException;
}

// "<file>: <cause> (errno N: <system text>)", cut on a character boundary to fit.
BOOL CFileException::GetErrorMessage(char* lpszError, UINT nMaxError) const {
    if (!lpszError || nMaxError == 0) return FALSE;
    const int nCauses = (int)(sizeof kCauseTexts / sizeof kCauseTexts[0]);
    CString text;
    if (!m_strFileName.IsEmpty()) text = m_strFileName + ": ";
    text += (m_cause >= 0 && m_cause < nCauses) ? kCauseTexts[m_cause] : kCauseTexts[genericException];
    if (m_lOsError > 0) {
        char buf[256] = {0};
        CString os;
        os.Format(" (errno %ld: %s)", (long)m_lOsError, ErrText(strerror_r((int)m_lOsError, buf, sizeof buf), buf));
        text += os;
    }
    size_t n = davrix::text::CutOnBoundary(text.GetString(), (size_t)text.GetLength(), (size_t)nMaxError - 1);
    memcpy(lpszError, text.GetString(), n);
    lpszError[n] = 0;
    return TRUE;
}

void AfxThrowFileException(int cause, LONG lOsError, const char* pszFileName) {
    throw new CFileException(cause, lOsError, pszFileName);
}
