#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The result of one label check as the label-check library hands it over:
// plain data with 8-bit strings (the library's texts are UTF-8 as a rule, but
// nothing guarantees it), positions in pixels of the checked image.

struct CheckPoint
{
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const CheckPoint &o) const { return x == o.x && y == o.y; }
};

// A QR code or a bar code read inside a label.
struct LabelCode
{
    std::string type; // the symbology's name, "QR-Code", "CODE-128", ...
    std::string code; // the decoded content
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<CheckPoint> corners; // the symbol's outline
};

// A piece of printed text read inside a label.
struct LabelText
{
    std::string reserved;
    std::string text;
    std::vector<CheckPoint> box; // the text's outline
    double confidence = 0.0;     // 0 to 1
};

struct LabelRecord
{
    // 0 missing, 1 passed, anything else failed.
    int32_t status = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<LabelText> texts;
    std::vector<LabelCode> qrCodes;
    std::vector<LabelCode> barCodes;
    int64_t reserved = 0;
};

struct ReadData
{
    int32_t first_edge = 0; // first paper column
    int32_t last_edge = 0;  // the paper ends before it: width = last_edge - first_edge
    int32_t segmentX = 0;   // row where the page starts; below 1: none found
    std::vector<LabelRecord> labels;
};
