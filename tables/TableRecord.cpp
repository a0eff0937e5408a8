#include <davrixdb/tables/TableRecord.h>

const TIMESTAMP_STRUCT g_tsInitDate = {9999, 12, 31, 0, 0, 0, 0};
