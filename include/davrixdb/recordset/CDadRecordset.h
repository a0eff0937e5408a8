// CDadRecordset: the generic record set of the module. It owns the process-wide
// connection parameters, opens after probing that the data source can be reached, and
// turns every database error of its query, save and remove operations into a 0 result
// with a readable text (GetError). Texts are in the application's code page (GBK).
#ifndef DAVRIXDB_RECORDSET_CDADRECORDSET_H
#define DAVRIXDB_RECORDSET_CDADRECORDSET_H

#include <davrixfw/CRecordset.h>
#include <davrixfw/CLongBinary.h>
#include <davrixfw/CByteArray.h>
#include <davrixfw/CFile.h>

class CData;

class CDadRecordset : public CRecordset {
    DECLARE_DYNAMIC(CDadRecordset)
public:
    explicit CDadRecordset(CDatabase* pDatabase = nullptr);
    ~CDadRecordset() override;

    // Process-wide connection parameters; empty when the module is loaded.
    static CString m_szDRV;          // upper-case driver file name, cached by GetDriver
    static CString m_szDSN;
    static CString m_szUID;
    static CString m_szPWD;
    static CString m_szConnection;   // "ODBC[;DSN=..[;UID=..;PWD=..]]"

    // Null arguments count as empty text.
    static void SetConnectionParam(LPCSTR lpszDSN, LPCSTR lpszUID, LPCSTR lpszPWD);
    static CString GetConnectionParam();
    // "[uid].[name]" when a user id is set, else the name unchanged.
    static CString GetObjectName(LPCSTR lpszName);
    // The connection's driver file name, upper case; cached for the rest of the process.
    static CString GetDriver(void* hdbc);
    // Runs one statement on a connection of its own: 1 when executed, 0 otherwise.
    static int ExecSQL(LPCSTR lpszSQL);

    void Close() override;
    CString GetDefaultConnect() override;
    CString GetDefaultSQL() override;

    virtual int Save();
    virtual int Remove();
    virtual int QueryData(int bToVal, int bMustExist);
    virtual int GetData(int bToVal);
    virtual void ToVal();
    virtual void AvilidData();
    virtual void SetAllFieldNull();
    virtual int AddOREdit();
    virtual int Query(LPCSTR lpszFilter);
    virtual void SetDefaultSQL(LPCSTR lpszSQL);
    // Probes the data source, then opens the set as a snapshot with the current filter.
    virtual int Open();

    CString GetError();
    void SetError(LPCSTR lpszError);
    // Copies at most capacity - 1 characters into the target's existing storage.
    void ReadString(LPCSTR lpszSource, CString& target);
    void ReadStringEx(CString& target, LPCSTR lpszSource);

    // Binary transfers (the object's own state is not used).
    void DatatoLB(CData* pData, CLongBinary* pLB);
    void LBtoData(CLongBinary* pLB, CData* pData);
    void DatatoLB(CData* pData, CByteArray* pArray);
    void LBtoData(CByteArray* pArray, CData* pData);
    static int ReadFile(LPCSTR lpszFileName, CData* pData);
    static int ReadFile(CFile& file, CData* pData);
    static int WriteFile(CFile& file, CData* pData);
    static int WriteFile(LPCSTR lpszFileName, CData* pData);

protected:
    CString m_szDefaultSQL;
    CString m_szError;
};

#endif
