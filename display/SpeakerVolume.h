#pragma once
// The master volume and mute switch of the speakers, through the multimedia mixer: the
// alarm turns them up and puts them back afterwards. Each call opens mixer device 0,
// works on its speakers line and closes the mixer again.
#include "display/DisplayPlatform.h"

class CSpeakerVolume {
public:
    CSpeakerVolume() : CSpeakerVolume(display::DefaultMixerPlatform()) {}
    explicit CSpeakerVolume(display::CMixerPlatform& mixer) : m_mixer(mixer) {}

    // Reads the volume, then the mute switch; an output is written only when its control
    // was read. FALSE without a mixer or speakers line, or when a read failed (a failed
    // volume read skips the mute switch). A missing control is no failure.
    BOOL GetVolume(DWORD* volume, BOOL* mute);
    // Writes the volume, kept within the control's range, then the mute switch, which is
    // written even when the volume write failed (an alarm must never stay muted); FALSE
    // when either write failed or there is no mixer or speakers line.
    BOOL SetVolume(const DWORD* volume, const BOOL* mute);

private:
    class COpenSpeakers;

    display::CMixerPlatform& m_mixer;
};
