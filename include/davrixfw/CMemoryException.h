// CMemoryException: memory could not be had.
#ifndef DAVRIXFW_CMEMORYEXCEPTION_H
#define DAVRIXFW_CMEMORYEXCEPTION_H

#include "CException.h"

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    CMemoryException() = default;
    ~CMemoryException() override;
    BOOL GetErrorMessage(char* lpszError, UINT nMaxError) const override;
};

[[noreturn]] void AfxThrowMemoryException();

#endif
