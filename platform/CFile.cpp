#include <davrixfw/CFile.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Share flags are accepted and not enforced: POSIX has no mandatory sharing modes and the
// module never relies on another process being kept out.

IMPLEMENT_DYNAMIC(CFile, CObject)

// Users may take its address (test assertions bind it by reference).
const int CFile::hFileNull;

namespace {

const UINT kAccessMask = 0x0003;

// Raises the CFileException that errno describes.
[[noreturn]] void ThrowErrno(int err, const CString& name) {
    AfxThrowFileException(CFileException::OsErrorToException(err), err, name.IsEmpty() ? nullptr : name.GetString());
}

}  // namespace

CFile::CFile() : m_hFile(hFileNull) {}

CFile::CFile(const char* lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull) {
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e)) AfxThrowFileException(e.m_cause, e.m_lOsError, lpszFileName);
}

CFile::~CFile() { Abort(); }

// A file that is still open is closed first (silently). On failure the object stays closed
// and *pError, if given, tells why.
BOOL CFile::Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError) {
    Abort();
    m_strFileName = lpszFileName;
    int err = 0;
    int flags = O_CLOEXEC;
    switch (nOpenFlags & kAccessMask) {
    case modeRead: flags |= O_RDONLY; break;
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: err = EINVAL; break;
    }
    if (nOpenFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(nOpenFlags & modeNoTruncate)) flags |= O_TRUNC;
    }
    if (!lpszFileName || !*lpszFileName) err = ENOENT;
    if (err == 0) {
        do {
            m_hFile = open(lpszFileName, flags, 0644);
        } while (m_hFile < 0 && errno == EINTR);
        if (m_hFile < 0) {
            err = errno;
            m_hFile = hFileNull;
        }
    }
    if (err == 0) return TRUE;
    if (pError) {
        pError->m_cause = CFileException::OsErrorToException(err);
        pError->m_lOsError = err;
        pError->m_strFileName = lpszFileName;
    }
    return FALSE;
}

// Reads until nCount bytes or the end of the file; fewer bytes only at the end.
UINT CFile::Read(void* lpBuf, UINT nCount) {
    UINT done = 0;
    char* p = static_cast<char*>(lpBuf);
    while (done < nCount) {
        ssize_t n = read(m_hFile, p + done, nCount - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno, m_strFileName);
        }
        if (n == 0) break;
        done += (UINT)n;
    }
    return done;
}

// Writes every byte; on failure some bytes may have been written already.
void CFile::Write(const void* lpBuf, UINT nCount) {
    UINT done = 0;
    const char* p = static_cast<const char*>(lpBuf);
    while (done < nCount) {
        ssize_t n = write(m_hFile, p + done, nCount - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno, m_strFileName);
        }
        if (n == 0) ThrowErrno(ENOSPC, m_strFileName);
        done += (UINT)n;
    }
}

uint64_t CFile::GetLength() const {
    struct stat st;
    if (fstat(m_hFile, &st) != 0) ThrowErrno(errno, m_strFileName);
    return (uint64_t)st.st_size;
}

uint64_t CFile::GetPosition() const {
    off_t pos = lseek(m_hFile, 0, SEEK_CUR);
    if (pos < 0) ThrowErrno(errno, m_strFileName);
    return (uint64_t)pos;
}

// The new position from the start. A position before the start raises badSeek and leaves
// the position as it was.
uint64_t CFile::Seek(int64_t lOff, UINT nFrom) {
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (nFrom > end)
        AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName.IsEmpty() ? nullptr : m_strFileName.GetString());
    off_t pos = lseek(m_hFile, (off_t)lOff, kWhence[nFrom]);
    if (pos < 0) {
        int err = errno;
        AfxThrowFileException(err == EBADF ? CFileException::invalidFile : CFileException::badSeek, err,
                              m_strFileName.IsEmpty() ? nullptr : m_strFileName.GetString());
    }
    return (uint64_t)pos;
}

// The object counts as closed before close() runs: the descriptor is gone either way.
void CFile::Close() {
    if (m_hFile == hFileNull) return;
    int fd = m_hFile;
    m_hFile = hFileNull;
    if (close(fd) != 0 && errno != EINTR) ThrowErrno(errno, m_strFileName);
}

void CFile::Abort() {
    if (m_hFile == hFileNull) return;
    close(m_hFile);
    m_hFile = hFileNull;
}
