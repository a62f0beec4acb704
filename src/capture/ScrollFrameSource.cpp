#include "capture/ScrollFrameSource.h"

ScrollFrameSource::~ScrollFrameSource() = default;

RegionGrabFrames::RegionGrabFrames(Grab grab, QObject *parent)
    : ScrollFrameSource(parent)
    , m_grab(std::move(grab))
{
}
