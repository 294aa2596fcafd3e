#pragma once

// The page under the check camera: where the current page starts in the
// check image (its segment row), whether a new page came into view, and the
// rewind length that brings the next page boundary under the camera.
namespace PageSegment {

struct Step
{
    int segmentX = 0;
    bool newPage = false;     // a page that was not counted yet
    bool setCollectLen = false;
    double collectLen = 0.0;  // mm
};

struct Inputs
{
    int segmentX = 0;        // the row kept so far
    bool pageChecked = false;
    int found = 0;           // the row the check found; below 1: none
    int imageHeight = 0;
    double scale = 0.0;      // mm per pixel
    double pageHeight = 0.0; // mm along the web
    double centerX = 0.0;    // mm, the check camera's centre (CPT_Check_Camera_Center_X)
    double collectLen = 0.0; // the kept rewind length, mm
    double collectLenSetting = 0.0; // CPT_Collect_len
};

// Without a page found the kept row moves up by the rewind length (when the
// scale is known) and the rewind length returns to its setting. With one,
// the row is taken over and the rewind length becomes the distance to the
// nearest page boundary, at most the setting (unknown without a page height).
Step next(const Inputs &in);

} // namespace PageSegment
