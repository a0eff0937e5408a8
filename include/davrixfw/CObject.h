// CObject and run-time class records: every exported class names its class, its schema
// number and its base; IsKindOf walks the chain. No dynamic creation.
#ifndef DAVRIXFW_COBJECT_H
#define DAVRIXFW_COBJECT_H

#include "WinTypes.h"

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                       // 0xFFFF: not serialised
    const CRuntimeClass* m_pBaseClass;    // null for CObject
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In the class body: DECLARE_DYNAMIC(CMyClass). In one source file: IMPLEMENT_DYNAMIC(CMyClass, CBase).
#define DECLARE_DYNAMIC(class_name)                                   \
public:                                                               \
    static const CRuntimeClass class##class_name;                     \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                \
    const CRuntimeClass class_name::class##class_name = {             \
        #class_name, (int)sizeof(class_name), 0xFFFF,                 \
        RUNTIME_CLASS(base_class_name)};                              \
    const CRuntimeClass* class_name::GetRuntimeClass() const          \
    { return RUNTIME_CLASS(class_name); }

class CObject {
public:
    static const CRuntimeClass classCObject;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject();
    virtual void AssertValid() const {}
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#endif
