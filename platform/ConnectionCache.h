// Reuse of physical connections and of their prepared statements. Internal to the stand-in.
//
// The module opens and closes connections all the time (a probe before every open, a
// connection of its own for every record set). When the configuration turns pooling on
// ([ODBC] Pooling=Yes in odbcinst.ini), a closed connection is parked here, with the
// statements it has prepared, and the next OpenEx with the same connection string takes
// it back without a new handshake. Parked connections are given back as they were found
// (autocommit on, read-write); a connection that idled for a while is checked with a
// trivial query before it is handed out, so a server that restarted meanwhile costs no
// failed operation; a dead one is dropped.
#ifndef DAVRIXFW_CONNECTIONCACHE_H
#define DAVRIXFW_CONNECTIONCACHE_H

#include <davrixfw/WinTypes.h>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace davrix {

// One physical connection with what the layer learned about it.
class PhysicalConnection {
public:
    explicit PhysicalConnection(SQLHDBC hdbc) : m_hdbc(hdbc) {}
    ~PhysicalConnection();  // frees the statements, disconnects, frees the handle
    PhysicalConnection(const PhysicalConnection&) = delete;
    PhysicalConnection& operator=(const PhysicalConnection&) = delete;

    SQLHDBC Handle() const { return m_hdbc; }
    // A statement prepared with sql (UTF-8) and used by nobody else. Raises CDBException.
    SQLHSTMT TakeStatement(const std::string& sql);
    // Gives a taken statement back with its cursor closed and bindings reset; with bKeep
    // false it is freed instead. Keep only statements whose result was read to its end
    // (or that have none): the SQLite driver does not reset a query on SQL_CLOSE, and a
    // query left active pins its connection to an old snapshot of the database.
    void GiveStatement(SQLHSTMT hstmt, bool bKeep);
    // True when the statement was taken from this connection and not given back.
    bool Owns(SQLHSTMT hstmt) const { return m_busy.count(hstmt) != 0; }
    // Closes every cursor still open (before the connection is parked or closed).
    void CloseCursors();

    char quote = 0;        // identifier quote, 0 until asked
    std::string driver;    // driver file name, empty until asked

private:
    struct Entry {
        std::string sql;
        SQLHSTMT h;
    };
    SQLHDBC m_hdbc;
    std::vector<Entry> m_idle;              // prepared and free, least recently used first
    std::map<SQLHSTMT, std::string> m_busy; // taken
};

class ConnectionCache {
public:
    static ConnectionCache& Instance();

    // A parked connection for the connection string, or null.
    std::unique_ptr<PhysicalConnection> Take(const std::string& connect);
    // Parks the connection, or disconnects it when pooling is off, the connection is dead
    // or enough are parked already.
    void Park(const std::string& connect, std::unique_ptr<PhysicalConnection> connection);
    // Disconnects every parked connection.
    void Clear();

private:
    ConnectionCache();
    bool PoolingEnabled();
    struct Parked {
        std::unique_ptr<PhysicalConnection> connection;
        std::chrono::steady_clock::time_point since;
    };
    std::mutex m_mutex;
    std::map<std::string, std::vector<Parked>> m_parked;
    int m_pooling = -1;  // -1: not read yet
};

}  // namespace davrix

#endif
