#pragma once

#include <string>

// The label-check library's settings, read from the JSON file that the
// model path names; every key is optional:
//   "minContrast"   least grey step between belt and paper (40)
//   "pageMatch"     least similarity of the page with the template (0.3)
//   "blankDeviation" a label place whose grey deviation stays below this is blank (6)
//   "searchMargin"  pixels a label may lie off its place and still pass (3)
//   "ocrModel"      Tesseract language file (".traineddata"), relative to the
//                   JSON file's folder; empty: English from the system
//   "ocrMinScore"   least confidence of a text read (0.5)
struct DetectSettings
{
    double minContrast = 40.0;
    double pageMatch = 0.3;
    double blankDeviation = 6.0;
    int searchMargin = 3;
    std::string ocrModel;
    double ocrMinScore = 0.5;

    // The settings of that file; read again only when the file changed. A
    // missing or broken file gives the defaults, with one log line per file.
    static DetectSettings load(const std::string &path);
};
