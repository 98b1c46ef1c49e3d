#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QtEndian>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

#include "gui/Pictures.h"
#include "tests/gui/TrayWatcher.h"
#include "tests/link/Loopback.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

constexpr int kPatience = 30000; // ms: generous for a loaded machine; a pass takes seconds

// A session bus of the test's own, so that nothing reaches the user's desktop.
class PrivateBus {
  public:
    explicit PrivateBus(const std::filesystem::path& folder) {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                      QString("--address=unix:path=%1").arg((folder / "bus").c_str())});
        if (daemon_.waitForStarted(kPatience) && daemon_.waitForReadyRead(kPatience))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus("tray-test");
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) daemon_.kill();
    }
    const QString& Address() const { return address_; }
    QDBusConnection Connect() const { return QDBusConnection::connectToBus(address_, "tray-test"); }

  private:
    QProcess daemon_;
    QString address_;
};

// A child process that ends with the test.
class Child {
  public:
    ~Child() {
        process.kill();
        process.waitForFinished(5000);
    }
    QProcess process;
};

// The picture of an icon as the item sends it: a(iiay), 32-bit ARGB in network byte order.
std::vector<QImage> ReadPixmaps(const QDBusArgument& argument) {
    std::vector<QImage> images;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0, height = 0;
        QByteArray bytes;
        argument.beginStructure();
        argument >> width >> height >> bytes;
        argument.endStructure();
        if (width <= 0 || height <= 0 || bytes.size() != qsizetype(width) * height * 4) continue;
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] = qFromBigEndian<quint32>(bytes.constData() + 4 * (qsizetype(y) * width + x));
        }
        images.push_back(image);
    }
    argument.endArray();
    return images;
}

std::optional<QVariant> ItemProperty(QDBusConnection bus, const QString& service, const char* name) {
    QDBusMessage get = QDBusMessage::createMethodCall(service, "/StatusNotifierItem",
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << QString("org.kde.StatusNotifierItem") << QString(name);
    const QDBusMessage reply = bus.call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
    return reply.arguments().at(0).value<QDBusVariant>().variant();
}

// The monitor's key whose picture the item shows now; empty when it shows none of them.
std::string ShownKey(QDBusConnection bus, const QString& service) {
    const auto pixmap = ItemProperty(bus, service, "IconPixmap");
    if (!pixmap) return "";
    const std::vector<QImage> images = ReadPixmaps(pixmap->value<QDBusArgument>());
    if (images.empty()) return "";
    const QImage& shown = images.back();
    for (const char* key : {"Activate", "Activity", "NoActivity", "Shutdown"}) {
        const QImage drawn =
            TrayPicture(key).pixmap(shown.size()).toImage().convertToFormat(QImage::Format_ARGB32);
        if (drawn == shown) return key;
    }
    return "unknown";
}

// The tip's title, from (sa(iiay)ss): icon name, pictures, title, text.
QString ToolTipTitle(QDBusConnection bus, const QString& service) {
    const auto tip = ItemProperty(bus, service, "ToolTip");
    if (!tip) return {};
    const QDBusArgument argument = tip->value<QDBusArgument>();
    QString iconName, title, text;
    argument.beginStructure();
    argument >> iconName;
    ReadPixmaps(argument);
    argument >> title >> text;
    argument.endStructure();
    return title;
}

TEST(TrayOnARealHost, IconRegistersAndFollowsTheMonitorsState) {
    TempDir dir;
    PrivateBus bus(dir.path());
    ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon did not start";
    QDBusConnection connection = bus.Connect();
    ASSERT_TRUE(connection.isConnected());
    TrayWatcher watcher;
    ASSERT_TRUE(watcher.Register(connection));

    // A watched program of the test's own, under a name no other process has.
    std::filesystem::copy_file("/bin/sleep", dir.path() / "qzworkload");
    Child workload;
    workload.process.start(QString::fromStdString((dir.path() / "qzworkload").string()), {"600"});
    ASSERT_TRUE(workload.process.waitForStarted(kPatience));

    std::filesystem::create_directories(dir.path() / "Log");
    std::filesystem::create_directories(dir.path() / "runtime");
    std::filesystem::permissions(dir.path() / "runtime", std::filesystem::perms::owner_all);
    dir.Write("Data/Quenzel.ini", IniFile()
                                      .Set("Proc1", "qzworkload")
                                      .Set("StartDelay", 1)
                                      .Set("ProcDelay", 60)
                                      .Set("ShutTime", 60)
                                      .Set("Port1", FreeUdpPort())
                                      .Set("Port2", FreeUdpPort())
                                      .Text());

    // The desktop program itself, without any power action, on the test's display and buses.
    Child quenzel;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", bus.Address());
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString((dir.path() / "runtime").string()));
    environment.remove("XDG_CURRENT_DESKTOP");
    quenzel.process.setProcessEnvironment(environment);
    quenzel.process.setWorkingDirectory(QString::fromStdString(dir.path().string()));
    quenzel.process.setProcessChannelMode(QProcess::ForwardedChannels);
    quenzel.process.start(QZ_QUENZEL, {"-InhibitShutdown", "-AllowMulti"});
    ASSERT_TRUE(quenzel.process.waitForStarted(kPatience));

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !watcher.RegisteredStatusNotifierItems().isEmpty(); }, kPatience))
        << "the icon never registered";
    const QString item = watcher.RegisteredStatusNotifierItems().front();
    EXPECT_EQ(connection.interface()->servicePid(item).value(), quenzel.process.processId())
        << item.toStdString();
    EXPECT_EQ(ToolTipTitle(connection, item), "Quenzel");

    // Start, then activity while the watched program runs, no activity once it ends, the countdown.
    const auto waitFor = [&](const std::string& key) {
        return QTest::qWaitFor([&] { return ShownKey(connection, item) == key; }, kPatience);
    };
    const std::string first = ShownKey(connection, item);
    EXPECT_TRUE(first == "Activate" || first == "Activity") << first;
    EXPECT_TRUE(waitFor("Activity"));
    workload.process.kill();
    EXPECT_TRUE(waitFor("NoActivity"));
    EXPECT_TRUE(waitFor("Shutdown"));
    EXPECT_EQ(ToolTipTitle(connection, item), "Quenzel");
    EXPECT_EQ(quenzel.process.state(), QProcess::Running);
}

} // namespace
} // namespace qz::test
