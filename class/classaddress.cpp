#include "classaddress.h"

#include <QNetworkInterface>

QList<InterfaceState> MachineInterfaces()
{
    QList<InterfaceState> states;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        InterfaceState state;
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        state.up = flags.testFlag(QNetworkInterface::IsUp);
        state.running = flags.testFlag(QNetworkInterface::IsRunning);
        state.loopback = flags.testFlag(QNetworkInterface::IsLoopBack);
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries)
            state.addresses.append(entry.ip());
        states.append(state);
    }
    return states;
}

QHostAddress StudentAddress(const QList<InterfaceState> &interfaces)
{
    for (const InterfaceState &interface : interfaces) {
        if (!interface.up || !interface.running || interface.loopback)
            continue;
        for (const QHostAddress &address : interface.addresses) {
            // A link-local address (169.254.x.x) means the interface got none from the network.
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()
                && !address.isInSubnet(QHostAddress(QStringLiteral("169.254.0.0")), 16))
                return address;
        }
    }
    return {};
}
