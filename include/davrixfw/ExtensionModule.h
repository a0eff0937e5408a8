// Extension modules: a shared library registers itself with the framework when it is
// loaded and tells the framework when it goes. The framework keeps the chain of
// extension libraries (CDynLinkLibrary objects) that the application can walk.
//
// A module's load entry (DllMain) runs when the library is loaded. Libraries that the
// application links directly are loaded with the process; a refused registration then
// stops the process, as a failed load-time library does on the original platform.
// Libraries loaded at run time through AfxLoadLibrary are unloaded again and give null.
#ifndef DAVRIXFW_EXTENSIONMODULE_H
#define DAVRIXFW_EXTENSIONMODULE_H

#include "CObject.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HINSTANCE hModule;
    HINSTANCE hResource;
    const CRuntimeClass* pFirstSharedClass;
};

// Registers the module; 0 when the framework refuses.
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE hModule);
// Ends the module's registration and drops its entries from the library chain.
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

class CDynLinkLibrary : public CObject {
    DECLARE_DYNAMIC(CDynLinkLibrary)
public:
    // Joins the application's chain of extension libraries; the framework owns the object.
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state);
    ~CDynLinkLibrary() override;
    HINSTANCE m_hModule;
    AFX_EXTENSION_MODULE* m_pState;
    CDynLinkLibrary* m_pNextDLL;
};

// The library chain, newest first; null when empty.
CDynLinkLibrary* AfxGetFirstDynLinkLibrary();
BOOL AfxIsExtensionModuleRegistered(HINSTANCE hModule);

// Loads a module at run time and runs its load entry; null when the library cannot be
// loaded or its entry reports failure (the library is unloaded again).
HINSTANCE AfxLoadLibrary(LPCSTR lpszModuleName);
// Runs the module's unload entry and unloads it.
BOOL AfxFreeLibrary(HINSTANCE hInstance);

// The load entry of a module calls this with its own result, so that AfxLoadLibrary
// (and, for a directly linked module, the process start) can act on a refusal.
void AfxReportModuleLoad(HINSTANCE hModule, BOOL bLoaded);

// Fault injection for tests: the next n registrations are refused (0 turns it off).
void AfxSetExtensionRefusals(int nRefusals);

#endif
