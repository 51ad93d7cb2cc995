// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct pw_core;
struct pw_thread_loop;

namespace tisko {

// A camera node of the PipeWire graph, with the properties only its bound node carries.
struct PipeWireNode {
    std::uint32_t id = 0;
    QString name = {};        // node.name: how a stream names its target
    QString description = {}; // node.description: the name shown to the user
    QString api = {};         // device.api: "v4l2", "libcamera", or empty
    QString v4l2Path = {};    // api.v4l2.path, for a webcam PipeWire serves from /dev/videoN
    QString libcameraPath = {};
    QString libcameraLocation = {}; // "front", "back", "external"
    bool running = false;           // the node streams to some consumer
};

// The process's one connection to PipeWire, on one thread loop that every PipeWire camera
// shares. It keeps the graph's camera nodes current from the registry. Any
// thread may call it; the loop's lock guards everything.
class PipeWireCameras {
public:
    // How the connection reaches the daemon: its socket, or a remote the camera portal
    // hands out (inside a sandbox, where the portal is the only way in).
    enum class Route { socket, portal };

    // The connection the whole process uses, through the portal inside a sandbox;
    // connects on first use.
    static PipeWireCameras& shared();
    explicit PipeWireCameras(Route route);
    ~PipeWireCameras();
    PipeWireCameras(const PipeWireCameras&) = delete;
    PipeWireCameras& operator=(const PipeWireCameras&) = delete;

    // The camera nodes (Video/Source, role Camera) after a round trip to the daemon; none
    // with `error` set when PipeWire cannot be reached. Without a socket it fails at once.
    std::optional<std::vector<PipeWireNode>> cameras(QString* error = nullptr);

    // Holds the loop's lock (recursive) for the calls below and for libpipewire calls.
    class Lock {
    public:
        explicit Lock(PipeWireCameras& cameras);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pw_thread_loop* m_loop;
        std::atomic<int>& m_waiting;
    };
    // Whether a thread waits for the lock: the loop then hands frames back unconverted, so a
    // busy stream cannot keep the lock from a stop.
    bool lockWanted() const { return m_waiting.load(std::memory_order_relaxed) > 0; }
    // The connected core, connecting first if needed; null with `error` set when the daemon
    // cannot be reached. Call with the lock held.
    pw_core* core(QString* error);
    // Whether the camera portal refused the camera at the last try.
    bool accessDenied() const;
    // Whether the core a stream was made on still stands (the daemon has not gone away).
    bool alive(pw_core* core) const;
    // Waits with the lock held for a signal from the loop, until `deadline`; false when the
    // deadline passed.
    bool wait(std::int64_t deadlineNs);
    // Wakes every waiter; from the loop thread.
    void signal();
    // Whether a session manager runs: it keeps the "default" metadata. Lock held.
    bool hasSessionManager() const;
    // Whether node `id` is in the graph. Lock held.
    bool hasNode(std::uint32_t id) const;
    // A round trip to the daemon: every event sent before it has arrived. Lock held.
    bool roundTrip(std::int64_t deadlineNs);
    // Now on the clock of wait's deadlines, plus `delayNs` nanoseconds.
    std::int64_t deadline(std::int64_t delayNs) const;

private:
    struct State;
    std::atomic<int> m_waiting{0};
    // Follows the connection's errors and the registry's cameras on a new connection.
    static void listen(State& state);

    std::unique_ptr<State> m_state;
};

} // namespace tisko
