#pragma once

#include <string>
#include <vector>

struct CtlContext;

// vr60ctl analyze FILE.sbp [--json] [--device] [filter options]
int RunAnalyze(CtlContext& ctx, const std::vector<std::string>& args);
