#pragma once

#include "ReadData.h"

#include <opencv2/core.hpp>
#include <memory>
#include <string>
#include <vector>

class OcrLite;

// What is printed in a label, read with a ZBar scanner and a Tesseract engine
// of the reader's own, made once and reused from page to page. One thread at
// a time uses a reader; each worker of LabelReaders has one.
class LabelReader
{
public:
    LabelReader();
    ~LabelReader();
    LabelReader(const LabelReader &) = delete;
    LabelReader &operator=(const LabelReader &) = delete;

    // The QR codes and bar codes in a label's place (grey, any row step), with
    // positions in image pixels (offset: the place's corner in the image).
    void readCodes(const cv::Mat &place, cv::Point offset, bool qr, bool bar, std::vector<LabelCode> &qrCodes,
                   std::vector<LabelCode> &barCodes);

    // The engine for model (a Tesseract language file; empty: English from
    // the models folder or the system), loaded unless it is loaded already.
    // False when it cannot be loaded (the engine's log line says why); a
    // model that failed is not tried again until another was asked for.
    bool loadEngine(const std::string &model);
    bool hasEngine(const std::string &model) const;
    // loadEngine(model) was the last model asked for, whatever came of it.
    bool triedEngine(const std::string &model) const { return m_tried && m_model == model; }

    // The printed texts in a label's place (grey), positions in image pixels;
    // none without a loaded engine.
    std::vector<LabelText> readTexts(const cv::Mat &place, cv::Point offset, double minScore);

private:
    struct Scanner;
    std::unique_ptr<Scanner> m_scanner;
    std::unique_ptr<OcrLite> m_ocr;
    std::string m_model; // the last model asked for; m_ocr reads with it
    bool m_tried = false;
};
