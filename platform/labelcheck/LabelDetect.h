#pragma once

#include "ReadData.h"

#include <opencv2/core.hpp>
#include <string>
#include <vector>

class LabelReaders;

// Our label-check library: one check camera image against the template of
// the page (the printed page as the camera should see it, covering the page's
// full width).
//
// What the page says about its labels, handed in beside the call's own
// arguments: the label cells in template pixels (rows along the web first,
// then the columns across it), or none, when the labels are taken to be the
// template's printed regions; and the least similarity for a label to pass.
struct PageLabels
{
    std::vector<cv::Rect> cells;
    double threshold = 0.6;
    // The workers that read the labels; none: LabelReaders::shared().
    LabelReaders *readers = nullptr;
};

// Checks input (8-bit, 3 channels blue first; 1 or 4 channels are taken as
// well) against templ (the same):
//  - the paper's edges from the brightness of the image's columns: paper
//    between a dark belt on both sides, or no edges at all;
//  - the page start (segmentX) by matching the template, scaled to the
//    paper's width, along the paper;
//  - each label: 0 when its place is blank, 1 when it resembles the template
//    at least `threshold`, else 2; labels outside the image are left out;
//  - in each label that is there, the QR codes and bar codes (ZBar) and the
//    printed texts (the OCR engine) when asked for.
// modelPath names a JSON file of the library's settings (see DetectSettings);
// a missing file means the defaults. A frame without paper or page gives the
// empty result (edges and segmentX 0, no labels). Throws only what OpenCV or
// the standard library throw.
ReadData process_frame(const cv::Mat &input, const cv::Mat &templ, bool enableOCR, bool enableQRCode,
                       bool enableBARCode, const std::string &modelPath, const PageLabels &page = PageLabels());
