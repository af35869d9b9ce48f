#pragma once
// The point grid as CSV: every cell quoted, rows ended by CR LF, the cells
// formatted as the grid shows them.

#include <string>

class PointGrid;
struct Program;

// Writes the grid as CSV and logs "<name> CSV file created."; false (reported) when it could not.
bool SaveGridAsCsv(Program& p, const PointGrid& grid, const std::string& fileName);
bool SaveGridAsCsv(Program& p, const std::string& fileName);
// "Save grid", before SaveDialog1: false, with "Load SBP first !", when no file is loaded.
bool GridSaveAllowed(Program& p);
// "Save grid" with the name chosen in SaveDialog1 (empty: cancelled, nothing is written).
void GridSaveToFileClick(Program& p, const std::string& fileName);
