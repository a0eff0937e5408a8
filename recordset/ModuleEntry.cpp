// Module load and unload. The connection parameters are defined here, before the loader
// object, so that they are constructed empty before the module registers itself and
// destroyed (in reverse order) only after it has told the framework that it ends.
#include <davrixdb/recordset/CDadRecordset.h>
#include <davrixfw/ExtensionModule.h>

#include <dlfcn.h>

CString CDadRecordset::m_szDRV;
CString CDadRecordset::m_szDSN;
CString CDadRecordset::m_szUID;
CString CDadRecordset::m_szPWD;
CString CDadRecordset::m_szConnection;

namespace {

AFX_EXTENSION_MODULE g_module = {FALSE, nullptr, nullptr, nullptr};

HINSTANCE SelfInstance();

}  // namespace

// The loader entry: registers with the framework and joins the library chain on attach;
// FALSE when the framework refuses. The chain object belongs to the framework.
extern "C" BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(g_module, hInstance)) return FALSE;
        new CDynLinkLibrary(g_module);
    } else if (dwReason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_module);
    }
    return TRUE;
}

namespace {

HINSTANCE SelfInstance() {
    Dl_info info{};
    return dladdr(reinterpret_cast<void*>(&DllMain), &info) ? info.dli_fbase : nullptr;
}

// Runs the loader entry when the library is loaded and unloaded.
struct ModuleLoader {
    BOOL loaded;
    ModuleLoader() : loaded(DllMain(SelfInstance(), DLL_PROCESS_ATTACH, nullptr)) {
        AfxReportModuleLoad(SelfInstance(), loaded);
    }
    ~ModuleLoader() {
        if (loaded) DllMain(SelfInstance(), DLL_PROCESS_DETACH, nullptr);
    }
};

ModuleLoader g_loader;

}  // namespace
