// CException: base of the framework's exceptions. They are thrown as pointers to heap
// objects (throw new CDBException(...)) and the catcher frees them with Delete().
#ifndef DAVRIXFW_CEXCEPTION_H
#define DAVRIXFW_CEXCEPTION_H

#include "CObject.h"
#include "CString.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException() = default;
    ~CException() override;
    // Frees an exception that was thrown as a pointer. Never call it twice.
    void Delete();
    // Copies a readable description into the caller's buffer (always zero-terminated).
    virtual BOOL GetErrorMessage(char* lpszError, UINT nMaxError) const;
};

#endif
