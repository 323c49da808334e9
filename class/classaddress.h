#pragma once
// The address students type: an IPv4 address of this machine on the room's network. Phones
// often cannot resolve a ".local" name and an IPv6 address is hard to type, so neither is used.

#include <QHostAddress>
#include <QList>

/// What the choice needs to know of one network interface.
struct InterfaceState {
    bool up = false;
    bool running = false;
    bool loopback = false;
    QList<QHostAddress> addresses;
};

/// The interfaces of this machine, in the system's order.
QList<InterfaceState> MachineInterfaces();

/// The first IPv4 address of the first interface that is up, running and not a loopback;
/// a null address when there is none.
QHostAddress StudentAddress(const QList<InterfaceState> &interfaces);
