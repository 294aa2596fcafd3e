import QtQuick

// The camera object the application asks for mark and label images: it
// answers capture(camera) with capturedMarkImage (camera 1) or
// capturedLabelImage (any other) carrying the image. The cameras themselves
// come with the camera pages; until then a request is not answered and the
// requester's wait runs out.
Item {
    objectName: "DravolinteCamera"

    signal capture(var camera)
    signal capturedMarkImage(int id, var img)
    signal capturedLabelImage(int id, var img)
}
