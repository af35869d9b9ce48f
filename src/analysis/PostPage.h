#pragma once
// The ranking site's session form as an HTML page, filled in from results
// computed under gpstc or gp3s (the same limits): the date, 2 s peak, 5 x 10 s,
// 1 h, alpha 500, nautical mile and distance, each with its method, "D" for
// the logged (Doppler) speed. The sailor signs in on the site and sends the
// form from there, so nothing here holds a password.

#include <cstdint>
#include <string>
#include <vector>

struct SessionResults;

struct PostField {
    std::string key;     // the field's name and id: the analyze --json key, or "date"
    std::string label;
    std::string value;   // knots to three decimals, km for the distance; empty where the log has no result
};

std::vector<PostField> GpstcPostFields(const SessionResults& results, int64_t sessionStartMs);

// `formUrl`: where the form is sent; empty: the page is for copying the values over.
std::string GpstcPostPage(const SessionResults& results, int64_t sessionStartMs, const std::string& formUrl);
