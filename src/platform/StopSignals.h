#pragma once
// SIGINT and SIGTERM turned into a Qt signal on the main thread, for the command-line programs that
// stop cleanly when asked.
#include <QObject>

#include <memory>

class QSocketNotifier;

class TStopSignals : public QObject
{
    Q_OBJECT
public:
    // Installs the handlers; only one instance may exist at a time.
    explicit TStopSignals(QObject* parent = nullptr);
    // Restores the handlers that were there before.
    ~TStopSignals() override;
    Q_DISABLE_COPY_MOVE(TStopSignals)

    // The number of the first signal received, or 0.
    int received() const { return receivedSignal; }

Q_SIGNALS:
    void stopRequested(int signalNumber);

private:
    void onReadable();

    int receivedSignal = 0;
    std::unique_ptr<QSocketNotifier> notifier;
};
