// Plugging devices into the ports of the setup and taking them out, as the
// setup page does: a device brings the unit it is read in, a calibration
// offset of zero and a name of its own, which Logo can use at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CSetupData;

// How the page labels a port: inputs "1".."8", outputs "A".."H", port 16 "I".
std::string PortLabel(int port);
// The devices a port takes (kPortNothing first): temperature or touch
// sensors on inputs 1-4, light or angle sensors on inputs 5-8, motors,
// lamps and sound elements on the outputs.
std::vector<int32_t> DevicesForPort(int port);
// Plugs the device into the port: its port type, for an input the device's
// first unit (and an offset of 0 for light and temperature), for an output
// both direction names emptied; then the device's default name with the
// port's label, made unique by _2, _3.. when it is taken. A device the port
// does not take is refused: false. kPortNothing clears the port (name,
// types and wait source back to none).
bool PlugDevice(CSetupData& setup, int port, int32_t device);
