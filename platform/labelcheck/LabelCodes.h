#pragma once

#include "ReadData.h"

#include <opencv2/core.hpp>
#include <string>
#include <vector>

// What is printed in a label: codes through ZBar, texts through the OCR engine.
namespace LabelCodes {

// The QR codes and bar codes in a label's place (grey, any row step), with
// positions in image pixels (offset: the place's corner in the image).
void readCodes(const cv::Mat &place, cv::Point offset, bool qr, bool bar, std::vector<LabelCode> &qrCodes,
               std::vector<LabelCode> &barCodes);

// The printed texts in a label's place (blue-green-red), read by the one
// engine of the process (loaded on first use from model, or English from
// the system), positions in image pixels.
std::vector<LabelText> readTexts(const cv::Mat &place, cv::Point offset, const std::string &model, double minScore);

} // namespace LabelCodes
