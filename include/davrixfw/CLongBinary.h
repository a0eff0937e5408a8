// CLongBinary: a long-binary value held in a global memory block. The destructor frees
// the block (GlobalFree, whatever its lock count).
#ifndef DAVRIXFW_CLONGBINARY_H
#define DAVRIXFW_CLONGBINARY_H

#include "CObject.h"

class CLongBinary : public CObject {
    DECLARE_DYNAMIC(CLongBinary)
public:
    CLongBinary();
    ~CLongBinary() override;
    CLongBinary(const CLongBinary&) = delete;
    CLongBinary& operator=(const CLongBinary&) = delete;

    HGLOBAL m_hData;
    DWORD m_dwDataLength;
};

#endif
