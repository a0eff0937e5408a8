// What every table and view record of the module shares: the date-time that a date member
// holds until a value is fetched or set, 9999-12-31 00:00:00.000 (a date no record carries,
// so "never set" stays visible in the database).
#ifndef DAVRIXDB_TABLES_TABLERECORD_H
#define DAVRIXDB_TABLES_TABLERECORD_H

#include <davrixfw/WinTypes.h>

extern const TIMESTAMP_STRUCT g_tsInitDate;

#endif
