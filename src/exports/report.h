// The console report of one DLL's exports: the names, the header fields and
// the listing rows, printed straight from the view.
#ifndef VORTANE_EXPORTS_REPORT_H
#define VORTANE_EXPORTS_REPORT_H

#include <string>

#include "exports/export_table.h"

// "Original DLL Name" (and "Used DLL Name" when `used_dll_name` is given),
// then a blank line.
void print_dll_names(const ExportTable& table, const std::string* used_dll_name);

// The counts of functions and names; with `header` also the ordinal base,
// characteristics, time stamp and version.
void print_header(const ExportTable& table, bool header);

// The blank line and the column heading above the rows.
void print_listing_heading();

// The row of name i: entry point (or an empty column and the forwarding
// text), ordinal and name.
void print_export_row(const ExportTable& table, uint32_t i);

#endif  // VORTANE_EXPORTS_REPORT_H
