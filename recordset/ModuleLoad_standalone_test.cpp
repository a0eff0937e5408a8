// Loading the module at run time: registration with the framework, the empty connection
// parameters, unload, and a refused registration that fails the load.
#include <davrixfw/CString.h>
#include <davrixfw/ExtensionModule.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

int ChainLength() {
    int n = 0;
    for (CDynLinkLibrary* p = AfxGetFirstDynLinkLibrary(); p; p = p->m_pNextDLL) ++n;
    return n;
}

TEST(ModuleLoad, RegistersWithEmptyParametersAndLeavesOnUnload) {
    ASSERT_EQ(ChainLength(), 0);
    HINSTANCE h = AfxLoadLibrary(DAVRIXDB_MODULE_PATH);
    ASSERT_NE(h, nullptr) << dlerror();
    EXPECT_TRUE(AfxIsExtensionModuleRegistered(h));
    EXPECT_EQ(ChainLength(), 1);
    void* lib = dlopen(DAVRIXDB_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(lib, nullptr);
    for (const char* name : {"_ZN13CDadRecordset7m_szDRVE", "_ZN13CDadRecordset7m_szDSNE", "_ZN13CDadRecordset7m_szUIDE",
                             "_ZN13CDadRecordset7m_szPWDE", "_ZN13CDadRecordset14m_szConnectionE"}) {
        auto* text = static_cast<CString*>(dlsym(lib, name));
        ASSERT_NE(text, nullptr) << name << " is exported as data";
        EXPECT_TRUE(text->IsEmpty()) << name;
    }
    dlclose(lib);
    EXPECT_TRUE(AfxFreeLibrary(h));
    EXPECT_FALSE(AfxIsExtensionModuleRegistered(h));
    EXPECT_EQ(ChainLength(), 0);
}

TEST(ModuleLoad, RefusedRegistrationFailsTheLoad) {
    AfxSetExtensionRefusals(1);
    HINSTANCE h = AfxLoadLibrary(DAVRIXDB_MODULE_PATH);
    AfxSetExtensionRefusals(0);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(ChainLength(), 0);
    EXPECT_EQ(dlopen(DAVRIXDB_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the library is unloaded again";
    HINSTANCE again = AfxLoadLibrary(DAVRIXDB_MODULE_PATH);
    ASSERT_NE(again, nullptr) << "a later load succeeds";
    EXPECT_TRUE(AfxFreeLibrary(again));
}

}  // namespace
