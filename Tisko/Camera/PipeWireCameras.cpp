// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/PipeWireCameras.h"

#include "Tisko/Camera/CameraPortal.h"

#include "Tisko/Support/Log.h"

#include <pipewire/extensions/metadata.h>
#include <pipewire/pipewire.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <set>

namespace tisko {

namespace {

// How long a round trip to the daemon may take before it counts as not answering.
constexpr std::int64_t answerNs = 1'000'000'000;
// How long the user may take to answer the portal's question.
constexpr std::chrono::seconds portalAnswer{60};
// How long a portal connection may take to show its cameras: they can come just after the
// first listing.
constexpr std::int64_t portalNodesNs = 500'000'000;

QString text(const spa_dict* props, const char* key) {
    const char* value = props ? spa_dict_lookup(props, key) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

} // namespace

struct PipeWireCameras::State {
    // A bound Video/Source node and what its info said.
    struct Node {
        pw_proxy* proxy = nullptr;
        spa_hook listener{};
        PipeWireNode node;
        bool camera = false;
        State* state = nullptr;
    };

    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_registry* registry = nullptr;
    spa_hook coreListener{};
    spa_hook registryListener{};
    PipeWireCameras::Route route = PipeWireCameras::Route::socket;
    bool broken = false;
    bool denied = false;
    bool asking = false; // waiting for the portal's answer
    bool fresh = false;  // connected since the last listing
    int doneSeq = -1;
    std::map<std::uint32_t, std::unique_ptr<Node>> nodes;
    // The "default" metadata objects: a session manager (WirePlumber) keeps one.
    std::set<std::uint32_t> sessionMetadata;

    void disconnect() {
        for (auto& [id, node] : nodes) {
            spa_hook_remove(&node->listener);
            pw_proxy_destroy(node->proxy);
        }
        nodes.clear();
        sessionMetadata.clear();
        if (registry) {
            spa_hook_remove(&registryListener);
            pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry));
            registry = nullptr;
        }
        if (core) {
            spa_hook_remove(&coreListener);
            pw_core_disconnect(core);
            core = nullptr;
        }
        broken = false;
    }

    static void nodeInfo(void* data, const pw_node_info* info) {
        auto* entry = static_cast<Node*>(data);
        PipeWireNode& node = entry->node;
        if (info->change_mask & PW_NODE_CHANGE_MASK_PROPS) {
            const spa_dict* props = info->props;
            entry->camera = text(props, PW_KEY_MEDIA_ROLE) == QStringLiteral("Camera");
            node.name = text(props, PW_KEY_NODE_NAME);
            node.description = text(props, PW_KEY_NODE_DESCRIPTION);
            if (node.description.isEmpty())
                node.description = node.name;
            node.api = text(props, "device.api");
            node.v4l2Path = text(props, "api.v4l2.path");
            node.libcameraPath = text(props, "api.libcamera.path");
            node.libcameraLocation = text(props, "api.libcamera.location");
        }
        node.running = info->state == PW_NODE_STATE_RUNNING;
        pw_thread_loop_signal(entry->state->loop, false);
    }

    static void global(void* data, std::uint32_t id, std::uint32_t, const char* type, std::uint32_t,
                       const spa_dict* props) {
        auto* state = static_cast<State*>(data);
        if (std::strcmp(type, PW_TYPE_INTERFACE_Metadata) == 0) {
            if (text(props, "metadata.name") == QStringLiteral("default"))
                state->sessionMetadata.insert(id);
            return;
        }
        if (std::strcmp(type, PW_TYPE_INTERFACE_Node) != 0 ||
            text(props, PW_KEY_MEDIA_CLASS) != QStringLiteral("Video/Source"))
            return;
        // The registry gives few properties: the node's own info tells its device.
        auto entry = std::make_unique<Node>();
        entry->state = state;
        entry->node.id = id;
        entry->proxy = static_cast<pw_proxy*>(
            pw_registry_bind(state->registry, id, PW_TYPE_INTERFACE_Node, PW_VERSION_NODE, 0));
        if (!entry->proxy)
            return;
        static const pw_node_events events = [] {
            pw_node_events e{};
            e.version = PW_VERSION_NODE_EVENTS;
            e.info = &State::nodeInfo;
            return e;
        }();
        pw_proxy_add_object_listener(entry->proxy, &entry->listener, &events, entry.get());
        state->nodes[id] = std::move(entry);
    }

    static void globalRemove(void* data, std::uint32_t id) {
        auto* state = static_cast<State*>(data);
        state->sessionMetadata.erase(id);
        const auto found = state->nodes.find(id);
        if (found != state->nodes.end()) {
            spa_hook_remove(&found->second->listener);
            pw_proxy_destroy(found->second->proxy);
            state->nodes.erase(found);
        }
        pw_thread_loop_signal(state->loop, false);
    }

    static void done(void* data, std::uint32_t id, int seq) {
        auto* state = static_cast<State*>(data);
        if (id == PW_ID_CORE) {
            state->doneSeq = seq;
            pw_thread_loop_signal(state->loop, false);
        }
    }

    static void error(void* data, std::uint32_t id, int, int res, const char* message) {
        auto* state = static_cast<State*>(data);
        if (id != PW_ID_CORE || res != -EPIPE)
            return;
        if (!state->broken)
            Log::error(QStringLiteral("PipeWire: el servicio se ha cerrado (") +
                       QString::fromUtf8(message ? message : "") + QLatin1Char(')'));
        state->broken = true;
        pw_thread_loop_signal(state->loop, false);
    }
};

PipeWireCameras& PipeWireCameras::shared() {
    static PipeWireCameras cameras(CameraPortal::inSandbox() ? Route::portal : Route::socket);
    return cameras;
}

PipeWireCameras::PipeWireCameras(Route route)
    : m_state(std::make_unique<State>()) {
    m_state->route = route;
    pw_init(nullptr, nullptr);
    m_state->loop = pw_thread_loop_new("tisko-pipewire", nullptr);
    m_state->context = pw_context_new(pw_thread_loop_get_loop(m_state->loop), nullptr, 0);
    pw_thread_loop_start(m_state->loop);
}

PipeWireCameras::~PipeWireCameras() {
    pw_thread_loop_lock(m_state->loop);
    m_state->disconnect();
    pw_thread_loop_unlock(m_state->loop);
    pw_thread_loop_stop(m_state->loop);
    pw_context_destroy(m_state->context);
    pw_thread_loop_destroy(m_state->loop);
}

PipeWireCameras::Lock::Lock(PipeWireCameras& cameras)
    : m_loop(cameras.m_state->loop)
    , m_waiting(cameras.m_waiting) {
    ++m_waiting;
    pw_thread_loop_lock(m_loop);
    --m_waiting;
}

PipeWireCameras::Lock::~Lock() {
    pw_thread_loop_unlock(m_loop);
}

std::int64_t PipeWireCameras::deadline(std::int64_t delayNs) const {
    // On the clock of the thread loop's condition.
    timespec until{};
    pw_thread_loop_get_time(m_state->loop, &until, delayNs);
    return static_cast<std::int64_t>(until.tv_sec) * 1'000'000'000 + until.tv_nsec;
}

bool PipeWireCameras::wait(std::int64_t deadlineNs) {
    timespec until{};
    until.tv_sec = static_cast<time_t>(deadlineNs / 1'000'000'000);
    until.tv_nsec = static_cast<long>(deadlineNs % 1'000'000'000);
    return pw_thread_loop_timed_wait_full(m_state->loop, &until) == 0;
}

void PipeWireCameras::signal() {
    pw_thread_loop_signal(m_state->loop, false);
}

pw_core* PipeWireCameras::core(QString* error) {
    State& state = *m_state;
    if (state.core && !state.broken)
        return state.core;
    state.disconnect();
    if (!state.context) {
        if (error)
            *error = QStringLiteral("PipeWire: no se pudo preparar la biblioteca");
        return nullptr;
    }
    if (state.route == Route::portal) {
        // The wait for the answer runs events: a listing asked meanwhile does not ask again.
        if (state.asking) {
            if (error)
                *error = QStringLiteral("PipeWire: el portal de la cámara aún no ha contestado");
            return nullptr;
        }
        int fd = -1;
        QString why;
        state.asking = true;
        const CameraPortal::Answer answer = CameraPortal::openRemote(&fd, &why, portalAnswer);
        state.asking = false;
        state.denied = answer == CameraPortal::Answer::denied;
        if (answer != CameraPortal::Answer::granted) {
            if (error)
                *error = why;
            return nullptr;
        }
        state.core = pw_context_connect_fd(state.context, fd, nullptr, 0);
    } else {
        // Without a daemon the socket refuses at once: no waiting.
        state.core = pw_context_connect(state.context, nullptr, 0);
    }
    state.fresh = true;
    if (!state.core) {
        if (error)
            *error = QStringLiteral("PipeWire: no hay servicio al que conectarse (") +
                     QString::fromUtf8(std::strerror(errno)) + QLatin1Char(')');
        return nullptr;
    }
    listen(state);
    return state.core;
}

void PipeWireCameras::listen(State& state) {
    static const pw_core_events coreEvents = [] {
        pw_core_events e{};
        e.version = PW_VERSION_CORE_EVENTS;
        e.done = &State::done;
        e.error = &State::error;
        return e;
    }();
    static const pw_registry_events registryEvents = [] {
        pw_registry_events e{};
        e.version = PW_VERSION_REGISTRY_EVENTS;
        e.global = &State::global;
        e.global_remove = &State::globalRemove;
        return e;
    }();
    // libpipewire's method macros cast the C way.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
    pw_core_add_listener(state.core, &state.coreListener, &coreEvents, &state);
    state.registry = pw_core_get_registry(state.core, PW_VERSION_REGISTRY, 0);
    pw_registry_add_listener(state.registry, &state.registryListener, &registryEvents, &state);
#pragma GCC diagnostic pop
}

bool PipeWireCameras::accessDenied() const {
    const Lock lock(const_cast<PipeWireCameras&>(*this));
    return m_state->denied;
}

bool PipeWireCameras::alive(pw_core* core) const {
    return core && core == m_state->core && !m_state->broken;
}

bool PipeWireCameras::roundTrip(std::int64_t deadlineNs) {
    State& state = *m_state;
    if (!state.core || state.broken)
        return false;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
    const int seq = pw_core_sync(state.core, PW_ID_CORE, 0);
#pragma GCC diagnostic pop
    while (state.doneSeq != seq) {
        if (state.broken || !wait(deadlineNs))
            return false;
    }
    return true;
}

bool PipeWireCameras::hasSessionManager() const {
    return !m_state->sessionMetadata.empty();
}

bool PipeWireCameras::hasNode(std::uint32_t id) const {
    return m_state->nodes.count(id) != 0;
}

std::optional<std::vector<PipeWireNode>> PipeWireCameras::cameras(QString* error) {
    const Lock lock(*this);
    if (!core(error))
        return std::nullopt;
    // The first trip brings the globals; the second the info of the nodes bound meanwhile.
    const std::int64_t until = deadline(answerNs);
    if (!roundTrip(until) || !roundTrip(until)) {
        if (error)
            *error = QStringLiteral("PipeWire: el servicio no responde");
        return std::nullopt;
    }
    std::vector<PipeWireNode> found;
    const std::int64_t portalUntil = deadline(portalNodesNs);
    for (;;) {
        for (const auto& [id, node] : m_state->nodes) {
            if (node->camera)
                found.push_back(node->node);
        }
        // A new portal connection may show its cameras a moment later.
        if (!found.empty() || !m_state->fresh || m_state->route != Route::portal ||
            !wait(portalUntil) || !roundTrip(portalUntil))
            break;
    }
    m_state->fresh = false;
    return found;
}

} // namespace tisko
