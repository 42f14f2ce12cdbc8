#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QLocalServer;
class QLockFile;

namespace zelk::ui {

// One running zelk per program folder. The first start holds a lock file in the folder
// (a crashed run's stale lock does not block the next start) and listens for later
// starts, which hand over the project path they were given (or nothing) and end.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& programFolder);
    ~SingleInstance() override;

    // True when this is the only running instance (it then listens).
    bool acquire();
    // From a second start: sends path (empty: just raise) to the running one.
    bool handOver(const std::string& path);

signals:
    // A later start's project path (bytes as given; empty when it named none).
    void handedOver(const std::string& path);

private:
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace zelk::ui
