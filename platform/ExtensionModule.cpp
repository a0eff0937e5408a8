#include <davrixfw/ExtensionModule.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <mutex>
#include <unistd.h>

IMPLEMENT_DYNAMIC(CDynLinkLibrary, CObject)

namespace {

// Framework state for extension modules. Never destroyed: modules tell the framework of
// their end from their own static destructors, which may run after ours.
struct ModuleState {
    std::mutex mutex;
    CDynLinkLibrary* first = nullptr;
    std::map<HINSTANCE, BOOL> reported;  // module -> result of its load entry
    std::map<HINSTANCE, void*> handles;  // modules loaded by AfxLoadLibrary
};

ModuleState& State() {
    static ModuleState* s = new ModuleState;
    return *s;
}

std::atomic<int> g_refusals{0};
thread_local int t_loadingDepth = 0;

}  // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE hModule) {
    int n = g_refusals.load();
    while (n > 0) {
        if (g_refusals.compare_exchange_weak(n, n - 1)) return FALSE;
    }
    state.bInitialized = TRUE;
    state.hModule = hModule;
    state.hResource = hModule;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    CDynLinkLibrary** link = &s.first;
    while (*link) {
        CDynLinkLibrary* p = *link;
        if (bAll || p->m_pState == &state) {
            *link = p->m_pNextDLL;
            p->m_pNextDLL = nullptr;
            delete p;
        } else {
            link = &p->m_pNextDLL;
        }
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state)
    : m_hModule(state.hModule), m_pState(&state), m_pNextDLL(nullptr) {
    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    m_pNextDLL = s.first;
    s.first = this;
}

CDynLinkLibrary::~CDynLinkLibrary() = default;

CDynLinkLibrary* AfxGetFirstDynLinkLibrary() {
    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.first;
}

BOOL AfxIsExtensionModuleRegistered(HINSTANCE hModule) {
    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (CDynLinkLibrary* p = s.first; p; p = p->m_pNextDLL)
        if (p->m_hModule == hModule) return TRUE;
    return FALSE;
}

void AfxSetExtensionRefusals(int nRefusals) { g_refusals = nRefusals; }

// A module linked into the program cannot be "not loaded" once the process runs: like a
// failed load-time library on the original platform, the process does not start.
void AfxReportModuleLoad(HINSTANCE hModule, BOOL bLoaded) {
    {
        ModuleState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        s.reported[hModule] = bLoaded;
    }
    if (!bLoaded && t_loadingDepth == 0) {
        Dl_info info{};
        dladdr(hModule, &info);
        fprintf(stderr, "fatal: the extension module %s failed to initialise\n",
                info.dli_fname ? info.dli_fname : "(unknown)");
        _exit(127);
    }
}

HINSTANCE AfxLoadLibrary(LPCSTR lpszModuleName) {
    if (!lpszModuleName) return nullptr;
    ++t_loadingDepth;
    void* handle = dlopen(lpszModuleName, RTLD_NOW | RTLD_LOCAL);
    --t_loadingDepth;
    if (!handle) return nullptr;
    // The module is known by its load address, the value its own code sees as its instance.
    HINSTANCE hModule = nullptr;
    Dl_info info{};
    void* entry = dlsym(handle, "DllMain");
    if (entry && dladdr(entry, &info) && info.dli_fbase) {
        hModule = info.dli_fbase;
    } else {
        struct link_map* map = nullptr;
        if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map) {
            dlclose(handle);
            return nullptr;
        }
        hModule = reinterpret_cast<HINSTANCE>(map->l_addr);
    }
    ModuleState& s = State();
    bool refused;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        auto it = s.reported.find(hModule);
        refused = it != s.reported.end() && !it->second;
        if (refused) s.reported.erase(it);
        else s.handles[hModule] = handle;
    }
    if (refused) {
        dlclose(handle);
        return nullptr;
    }
    return hModule;
}

BOOL AfxFreeLibrary(HINSTANCE hInstance) {
    ModuleState& s = State();
    void* handle = nullptr;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        auto it = s.handles.find(hInstance);
        if (it == s.handles.end()) return FALSE;
        handle = it->second;
        s.handles.erase(it);
        s.reported.erase(hInstance);
    }
    return dlclose(handle) == 0;
}
