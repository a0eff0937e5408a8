#include "ConnectionCache.h"

#include <davrixfw/CDBException.h>

#include <odbcinst.h>
#include <cstring>
#include <strings.h>

namespace davrix {

namespace {

const size_t kMaxIdleStatements = 32;
const size_t kMaxParkedPerString = 8;
const auto kIdleTimeout = std::chrono::seconds(60);
// A connection parked longer than this is checked with a query before it is reused.
const auto kValidateAfter = std::chrono::seconds(2);

void FreeStatement(SQLHSTMT h) { SQLFreeHandle(SQL_HANDLE_STMT, h); }

// True when the connection still answers; a trivial query asks the server itself.
bool Answers(SQLHDBC hdbc) {
    SQLHSTMT h = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &h))) return false;
    bool ok = SQL_SUCCEEDED(SQLExecDirect(h, (SQLCHAR*)"SELECT 1", SQL_NTS));
    SQLFreeHandle(SQL_HANDLE_STMT, h);
    return ok;
}

bool Dead(SQLHDBC hdbc) {
    SQLUINTEGER dead = SQL_CD_FALSE;
    return SQL_SUCCEEDED(SQLGetConnectAttr(hdbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) && dead == SQL_CD_TRUE;
}

}  // namespace

PhysicalConnection::~PhysicalConnection() {
    for (Entry& e : m_idle) FreeStatement(e.h);
    for (auto& b : m_busy) FreeStatement(b.first);
    SQLDisconnect(m_hdbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_hdbc);
}

SQLHSTMT PhysicalConnection::TakeStatement(const std::string& sql) {
    for (size_t i = m_idle.size(); i-- > 0;) {
        if (m_idle[i].sql == sql) {
            SQLHSTMT h = m_idle[i].h;
            m_idle.erase(m_idle.begin() + (long)i);
            m_busy[h] = sql;
            return h;
        }
    }
    SQLHSTMT h = SQL_NULL_HSTMT;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &h);
    if (!SQL_SUCCEEDED(rc)) AfxThrowDBException(rc, SQL_HANDLE_DBC, m_hdbc);
    rc = SQLPrepare(h, (SQLCHAR*)sql.c_str(), SQL_NTS);
    if (!SQL_SUCCEEDED(rc)) {
        CDBException* e = new CDBException(rc);
        e->BuildErrorString(SQL_HANDLE_STMT, h);
        FreeStatement(h);
        throw e;
    }
    m_busy[h] = sql;
    return h;
}

void PhysicalConnection::GiveStatement(SQLHSTMT h, bool bKeep) {
    auto it = m_busy.find(h);
    if (it == m_busy.end()) return;
    std::string sql = std::move(it->second);
    m_busy.erase(it);
    if (bKeep) {
        bKeep = SQL_SUCCEEDED(SQLFreeStmt(h, SQL_CLOSE)) && SQL_SUCCEEDED(SQLFreeStmt(h, SQL_UNBIND)) &&
                SQL_SUCCEEDED(SQLFreeStmt(h, SQL_RESET_PARAMS));
    }
    if (!bKeep) {
        FreeStatement(h);
        return;
    }
    m_idle.push_back({std::move(sql), h});
    if (m_idle.size() > kMaxIdleStatements) {
        FreeStatement(m_idle.front().h);
        m_idle.erase(m_idle.begin());
    }
}

void PhysicalConnection::CloseCursors() {
    for (auto& b : m_busy) SQLFreeStmt(b.first, SQL_CLOSE);
}

ConnectionCache::ConnectionCache() = default;

ConnectionCache& ConnectionCache::Instance() {
    // Never destroyed: record sets may close after static destructors ran. The parked
    // connections are closed when the library goes (below), so servers see a clean end.
    static ConnectionCache* cache = new ConnectionCache;
    static struct Closer {
        ~Closer() { cache->Clear(); }
    } closer;
    return *cache;
}

bool ConnectionCache::PoolingEnabled() {
    if (m_pooling < 0) {
        char value[32] = "";
        SQLGetPrivateProfileString("ODBC", "Pooling", "", value, sizeof value, "odbcinst.ini");
        m_pooling = strcasecmp(value, "yes") == 0 || strcasecmp(value, "true") == 0 || strcmp(value, "1") == 0;
    }
    return m_pooling == 1;
}

std::unique_ptr<PhysicalConnection> ConnectionCache::Take(const std::string& connect) {
    std::unique_ptr<PhysicalConnection> found;
    std::chrono::steady_clock::time_point since;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_parked.find(connect);
        if (it == m_parked.end() || it->second.empty()) return nullptr;
        found = std::move(it->second.back().connection);
        since = it->second.back().since;
        it->second.pop_back();
    }
    auto idle = std::chrono::steady_clock::now() - since;
    if (idle > kIdleTimeout || Dead(found->Handle()) || (idle > kValidateAfter && !Answers(found->Handle())))
        return Take(connect);  // the stale one disconnects as it goes out of scope
    return found;
}

void ConnectionCache::Park(const std::string& connect, std::unique_ptr<PhysicalConnection> connection) {
    if (!connection) return;
    connection->CloseCursors();
    std::unique_ptr<PhysicalConnection> surplus;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!PoolingEnabled() || Dead(connection->Handle())) return;  // disconnects on return
        std::vector<Parked>& parked = m_parked[connect];
        parked.push_back({std::move(connection), std::chrono::steady_clock::now()});
        if (parked.size() > kMaxParkedPerString) {
            surplus = std::move(parked.front().connection);
            parked.erase(parked.begin());
        }
    }
}

void ConnectionCache::Clear() {
    std::map<std::string, std::vector<Parked>> all;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        all.swap(m_parked);
    }
}

}  // namespace davrix
