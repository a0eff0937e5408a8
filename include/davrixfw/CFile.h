// CFile: a file opened through POSIX. Open reports failure by its result (and fills an
// optional CFileException); Read, Write, GetLength, GetPosition, Seek and Close raise
// CFileException. The destructor closes a file that is still open.
#ifndef DAVRIXFW_CFILE_H
#define DAVRIXFW_CFILE_H

#include "CObject.h"
#include "CString.h"
#include "CFileException.h"

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };
    static constexpr int hFileNull = -1;

    CFile();
    CFile(const char* lpszFileName, UINT nOpenFlags);   // raises CFileException on failure
    ~CFile() override;

    virtual BOOL Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);         // bytes read; 0 at the end
    virtual void Write(const void* lpBuf, UINT nCount);  // all bytes, or raises
    virtual uint64_t GetLength() const;
    virtual uint64_t GetPosition() const;
    virtual uint64_t Seek(int64_t lOff, UINT nFrom);
    virtual void Close();                                // no effect when already closed
    virtual void Abort();                                // closes, never raises
    const CString& GetFilePath() const { return m_strFileName; }

    int m_hFile;

protected:
    CString m_strFileName;
};

#endif
