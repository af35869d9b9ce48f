#pragma once
// The point grid as CSV: every cell quoted, rows ended by CR LF, the cells
// formatted as the grid shows them.

#include <functional>
#include <string>

class PointGrid;
struct Program;

// Writes the grid as CSV and logs "<name> CSV file created."; false (reported) when it could not.
bool SaveGridAsCsv(Program& p, const PointGrid& grid, const std::string& fileName);
bool SaveGridAsCsv(Program& p, const std::string& fileName);
// "Save grid": askFileName shows SaveDialog1 and returns the name, empty when cancelled.
void GridSaveToFileClick(Program& p, const std::function<std::string()>& askFileName);
