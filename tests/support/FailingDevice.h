#pragma once
#include <QIODevice>

// A device that holds bytes and fails once limit bytes have gone through it.
class TFailingDevice final : public QIODevice {
public:
    TFailingDevice(QByteArray data, qint64 limit) : m_data(std::move(data)), m_limit(limit) {}
    QByteArray written;

protected:
    qint64 readData(char* out, qint64 max) override
    {
        if (m_pos >= m_limit && m_pos < m_data.size())
            return -1;
        const qint64 n = std::min({max, m_limit - m_pos, static_cast<qint64>(m_data.size()) - m_pos});
        memcpy(out, m_data.constData() + m_pos, static_cast<size_t>(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char* in, qint64 len) override
    {
        const qint64 room = m_limit - static_cast<qint64>(written.size());
        if (room <= 0)
            return -1;
        const qint64 n = std::min(len, room);
        written.append(in, n);
        return n;
    }

private:
    QByteArray m_data;
    qint64 m_limit;
    qint64 m_pos = 0;
};
