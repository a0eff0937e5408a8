#include <davrixfw/CLongBinary.h>

#include <davrixfw/GlobalMemory.h>

IMPLEMENT_DYNAMIC(CLongBinary, CObject)

CLongBinary::CLongBinary() : m_hData(nullptr), m_dwDataLength(0) {}

CLongBinary::~CLongBinary() {
    if (m_hData) GlobalFree(m_hData);
}
