// Anchors the shared precompiled header.
