#include <davrixfw/CByteArray.h>
#include <davrixfw/CDBException.h>
#include <davrixfw/CFile.h>
#include <davrixfw/CFileException.h>
#include <davrixfw/CMemoryException.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CObject, RuntimeClassRecords) {
    const CRuntimeClass* root = RUNTIME_CLASS(CObject);
    EXPECT_STREQ("CObject", root->m_lpszClassName);
    EXPECT_EQ((int)sizeof(CObject), root->m_nObjectSize);
    EXPECT_EQ(0xFFFFu, root->m_wSchema);
    EXPECT_EQ(nullptr, root->m_pBaseClass);

    const CRuntimeClass* db = RUNTIME_CLASS(CDBException);
    EXPECT_STREQ("CDBException", db->m_lpszClassName);
    EXPECT_EQ((int)sizeof(CDBException), db->m_nObjectSize);
    EXPECT_EQ(RUNTIME_CLASS(CException), db->m_pBaseClass);
    EXPECT_EQ(RUNTIME_CLASS(CObject), RUNTIME_CLASS(CException)->m_pBaseClass);
}

TEST(CObject, IsKindOfWalksTheBaseChain) {
    struct Case {
        const CObject* object;
        const CRuntimeClass* cls;
        bool kind;
    };
    CDBException db;
    CFileException file;
    CMemoryException mem;
    CFile f;
    CByteArray bytes;
    const Case cases[] = {
        {&db, RUNTIME_CLASS(CDBException), true},     {&db, RUNTIME_CLASS(CException), true},
        {&db, RUNTIME_CLASS(CObject), true},          {&db, RUNTIME_CLASS(CFileException), false},
        {&file, RUNTIME_CLASS(CFileException), true}, {&file, RUNTIME_CLASS(CDBException), false},
        {&mem, RUNTIME_CLASS(CMemoryException), true}, {&mem, RUNTIME_CLASS(CException), true},
        {&f, RUNTIME_CLASS(CFile), true},             {&f, RUNTIME_CLASS(CException), false},
        {&bytes, RUNTIME_CLASS(CObject), true},       {&bytes, nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kind, (bool)c.object->IsKindOf(c.cls))
            << c.object->GetRuntimeClass()->m_lpszClassName << " of " << (c.cls ? c.cls->m_lpszClassName : "null");
    EXPECT_TRUE(RUNTIME_CLASS(CDBException)->IsDerivedFrom(RUNTIME_CLASS(CDBException)));
    EXPECT_FALSE(RUNTIME_CLASS(CException)->IsDerivedFrom(RUNTIME_CLASS(CDBException)));
}

TEST(CException, ThrownAsPointerAndFreedWithDelete) {
    try {
        AfxThrowMemoryException();
    } catch (CException* e) {
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CMemoryException)));
        char buf[64];
        EXPECT_TRUE(e->GetErrorMessage(buf, sizeof buf));
        EXPECT_STRNE("", buf);
        e->Delete();
    }
    try {
        AfxThrowFileException(CFileException::diskFull, 28, "x.dat");
    } catch (CFileException* e) {
        EXPECT_EQ(CFileException::diskFull, e->m_cause);
        EXPECT_EQ(28, e->m_lOsError);
        EXPECT_EQ("x.dat", e->m_strFileName);
        e->Delete();
    }
}

TEST(CException, GetErrorMessageAlwaysTerminates) {
    CMemoryException mem;
    char buf[4] = {'x', 'x', 'x', 'x'};
    EXPECT_TRUE(mem.GetErrorMessage(buf, sizeof buf));
    EXPECT_EQ(3u, strlen(buf));
    EXPECT_FALSE(mem.GetErrorMessage(buf, 0));
    EXPECT_FALSE(mem.GetErrorMessage(nullptr, 10));
}

}  // namespace
