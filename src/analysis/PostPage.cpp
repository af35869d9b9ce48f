#include "analysis/PostPage.h"

#include <cstdio>

#include "analysis/ResultText.h"
#include "analysis/SessionAnalysis.h"

namespace {

std::string Html(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string ThreeDecimals(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

} // namespace

std::vector<PostField> GpstcPostFields(const SessionResults& r, int64_t sessionStartMs)
{
    std::vector<PostField> fields;
    fields.push_back({"date", "Date", UtcIsoText(sessionStartMs).substr(0, 10)});
    const struct {
        Category category;
        const char* label;
    } kPosted[] = {{Category::TwoSeconds, "2 s peak (knots)"},    {Category::FiveByTen, "5 x 10 s (knots)"},
                   {Category::OneHour, "1 h (knots)"},            {Category::Alpha500, "Alpha 500 (knots)"},
                   {Category::NauticalMile, "Nautical mile (knots)"}};
    for (const auto& p : kPosted) {
        const std::string key = Categories()[size_t(p.category)].key;
        fields.push_back({key, p.label, r[p.category] ? ThreeDecimals(Knots(r[p.category]->speed)) : ""});
        fields.push_back({key + "_method", "Method", "D"});
    }
    fields.push_back({"distance_km", "Distance (km)", ThreeDecimals(r.distanceMetres / 1000)});
    fields.push_back({"distance_km_method", "Method", "D"});
    return fields;
}

std::string GpstcPostPage(const SessionResults& r, int64_t sessionStartMs, const std::string& formUrl)
{
    std::string out = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Session for GPSTC</title></head>\n<body>\n"
                      "<h1>Session for GPSTC</h1>\n"
                      "<p>Results under the gpstc rules. Sign in on the ranking site, check the values and send "
                      "them from there.</p>\n";
    out += formUrl.empty() ? "<form>\n" : "<form method=\"post\" action=\"" + Html(formUrl) + "\">\n";
    for (const PostField& f : GpstcPostFields(r, sessionStartMs))
        out += "<p><label for=\"" + Html(f.key) + "\">" + Html(f.label) + "</label> <input id=\"" + Html(f.key) +
               "\" name=\"" + Html(f.key) + "\" value=\"" + Html(f.value) + "\"" +
               (f.value.empty() ? " placeholder=\"no result\"" : "") + "></p>\n";
    out += formUrl.empty() ? "</form>\n" : "<p><button type=\"submit\">Send</button></p>\n</form>\n";
    return out + "</body></html>\n";
}
