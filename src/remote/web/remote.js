// Shared by the three browser views: the clock arithmetic between the
// server's pushes, and the WebSocket that brings the state in and takes
// commands out. The arithmetic is plain functions so Node can test it.
(function (root) {
    'use strict';

    // "299", "04:59", "104:59", "00:04:59": the clock forms the program shows
    // for a run. Anything else (a time of day with a date line, "3天 …") is
    // not counted locally.
    var CLOCK = /^(\D*?)(\d+)((?::\d\d){0,2})(\D*)$/;

    function parseClock(text) {
        var m = CLOCK.exec(typeof text === 'string' ? text : '');
        if (!m)
            return null;
        var fields = [m[2]].concat(m[3] ? m[3].slice(1).split(':') : []);
        var seconds = 0;
        for (var i = 0; i < fields.length; ++i)
            seconds = seconds * 60 + parseInt(fields[i], 10);
        return { prefix: m[1], suffix: m[4], fields: fields.length, width: m[2].length, seconds: seconds };
    }

    function pad(n, width) {
        var s = String(n);
        while (s.length < width)
            s = '0' + s;
        return s;
    }

    // Whole seconds of `ms`, written with as many fields as `sample` has: plain
    // seconds unpadded, the first of several fields in two digits or more
    // ("100:00" after "99:59"). Null when `sample` is no clock text.
    function formatLike(sample, ms) {
        var form = parseClock(sample);
        if (!form)
            return null;
        var total = Math.floor(Math.max(0, ms) / 1000);
        var parts = [];
        for (var i = 1; i < form.fields; ++i) {
            parts.unshift(pad(total % 60, 2));
            total = Math.floor(total / 60);
        }
        parts.unshift(pad(total, form.fields === 1 ? 1 : Math.min(2, form.width)));
        return form.prefix + parts.join(':') + form.suffix;
    }

    // The clock text of a duration where no sample is at hand: "mm:ss", or
    // "h:mm:ss" from an hour on.
    function plainClock(ms) {
        return formatLike(ms >= 3600000 ? '0:00:00' : '00:00', ms);
    }

    // Whether the clock is moving between pushes.
    function isLive(state) {
        return !!state && state.endsAt !== null && state.endsAt !== undefined &&
            (state.status === 'running' || state.status === 'overtime');
    }

    function remainingAt(state, nowMs, offsetMs) {
        if (!isLive(state))
            return state ? state.remainingMs || 0 : 0;
        return state.endsAt - (nowMs + offsetMs);
    }

    // Remaining, elapsed and overtime milliseconds at the local time `nowMs`,
    // the server's clock being `offsetMs` ahead of the local one.
    function valuesAt(state, nowMs, offsetMs) {
        var since = isLive(state) ? Math.max(0, nowMs + offsetMs - state.serverNow) : 0;
        var remaining = remainingAt(state, nowMs, offsetMs);
        var overtime = state.status === 'overtime' ? (state.overtimeMs || 0) + since : Math.max(0, -remaining);
        return { remaining: remaining, elapsed: (state.elapsedMs || 0) + since, overtime: overtime };
    }

    // Which count the main clock's text follows: the remaining time of a
    // countdown, the overtime once the time is up, the elapsed time of a
    // count-up.
    function followedCount(state, values) {
        if (state.status === 'overtime' || (state.countsDown && values.remaining < 0))
            return { ms: values.overtime, rising: true };
        return state.countsDown ? { ms: values.remaining, rising: false } : { ms: values.elapsed, rising: true };
    }

    // Whether the pushed text shows the count `followedCount` picks: it does
    // not for a time of day, nor for a clock resting at zero in overtime.
    function textFollowsCount(state) {
        var pushed = parseClock(state.text);
        if (!isLive(state) || !pushed)
            return false;
        var atPush = followedCount(state, valuesAt(state, state.serverNow, 0));
        return Math.abs(Math.floor(Math.max(0, atPush.ms) / 1000) - pushed.seconds) <= 1;
    }

    // The main clock's text at `nowMs`: the pushed text, moved on locally
    // while the clock runs and the text follows the count. It never steps
    // back behind the pushed text, and a countdown that runs out waits for
    // the push that says what the screen shows then.
    function clockTextAt(state, nowMs, offsetMs) {
        if (!textFollowsCount(state))
            return state.text;
        var atPush = followedCount(state, valuesAt(state, state.serverNow, 0));
        var now = followedCount(state, valuesAt(state, nowMs, offsetMs));
        if (now.rising !== atPush.rising)
            return state.text;
        var pushed = parseClock(state.text).seconds;
        var seconds = Math.floor(Math.max(0, now.ms) / 1000);
        seconds = now.rising ? Math.max(seconds, pushed) : Math.min(seconds, pushed);
        return formatLike(state.text, seconds * 1000);
    }

    // The lectern's big time: what remains, "+" and the overtime once the
    // time is up, or the elapsed time of a count-up; in the main clock's form
    // where it has one. A clock at rest shows what the main screen shows.
    function speakerTextAt(state, nowMs, offsetMs) {
        var count = followedCount(state, valuesAt(state, nowMs, offsetMs));
        var crossed = isLive(state) && state.countsDown && state.status !== 'overtime' && count.rising;
        var body;
        if (textFollowsCount(state) && !crossed)
            body = clockTextAt(state, nowMs, offsetMs);
        else if (!isLive(state) && parseClock(state.text))
            body = state.text;
        else
            body = parseClock(state.text) ? formatLike(state.text, count.ms) : plainClock(count.ms);
        var over = state.status === 'overtime' || crossed ||
            (state.status === 'paused' && state.countsDown && state.overtimeMs > 0 && state.remainingMs <= 0);
        return over ? '+' + body : body;
    }

    function offsetFrom(sentAt, receivedAt, serverNow) {
        return serverNow - (sentAt + receivedAt) / 2;
    }

    // The offset of the sample with the shortest round trip: its midpoint is
    // the best guess of when the server read its clock.
    function bestOffset(samples) {
        var best = null;
        for (var i = 0; i < samples.length; ++i) {
            var s = samples[i];
            if (!best || s.receivedAt - s.sentAt < best.receivedAt - best.sentAt)
                best = s;
        }
        return best ? offsetFrom(best.sentAt, best.receivedAt, best.serverNow) : null;
    }

    // 1 s, 2 s, 4 s, then every 5 s.
    function reconnectDelay(attempt) {
        return Math.min(5000, 1000 * Math.pow(2, Math.max(0, attempt)));
    }

    // "#rrggbb" from the state, or the page's own colour.
    function safeColour(colour, fallback) {
        return typeof colour === 'string' && /^#[0-9a-fA-F]{6}$/.test(colour) ? colour : fallback;
    }

    // The stage menu's "load" number of a stored stage (the list counts from
    // 0, the command from 1).
    function loadNumber(stage) {
        return stage.index + 1;
    }

    // Add-time moves a countdown that is running or paused, nothing else.
    function mayAddTime(state) {
        return !!state && state.countsDown && (state.status === 'running' || state.status === 'paused');
    }

    // The command a caption of the command menu stands for: its first two
    // characters carry the state ("开始"/"清零", "暂停"/"继续").
    var CAPTION_COMMANDS = { '开始': 'start', '清零': 'clear', '暂停': 'pause', '继续': 'resume' };
    function captionCommand(caption, fallback) {
        var head = typeof caption === 'string' ? caption.trim().slice(0, 2) : '';
        return CAPTION_COMMANDS[head] || fallback;
    }

    // A menu caption as a button's text: no access key ("(&S)", "&").
    function captionText(caption, fallback) {
        var text = typeof caption === 'string' ? caption.replace(/\(&.\)|&/g, '').trim() : '';
        return text || fallback;
    }

    var api = {
        parseClock: parseClock,
        formatLike: formatLike,
        plainClock: plainClock,
        isLive: isLive,
        remainingAt: remainingAt,
        valuesAt: valuesAt,
        clockTextAt: clockTextAt,
        speakerTextAt: speakerTextAt,
        offsetFrom: offsetFrom,
        bestOffset: bestOffset,
        reconnectDelay: reconnectDelay,
        safeColour: safeColour,
        loadNumber: loadNumber,
        mayAddTime: mayAddTime,
        captionCommand: captionCommand,
        captionText: captionText
    };

    // The connection to the clock: the state as it comes, the server's clock
    // offset, reconnecting by itself when the network drops.
    //   options.token     the control key, for pages that send commands
    //   options.onState   (state) on every push
    //   options.onLink    (connected, closeCode) when the link comes or goes
    //   options.onResult  (result, sentCommand) for each answered command
    function connect(options) {
        var socket = null;
        var attempt = 0;
        var nextId = 1;
        var samples = [];
        var pending = {};
        var pingTimer = null;
        var link = {
            state: null,
            offset: 0,
            connected: false,
            send: function (command) {
                if (!socket || socket.readyState !== 1)
                    return false;
                var id = nextId++;
                command.id = id;
                pending[id] = command;
                socket.send(JSON.stringify(command));
                return true;
            }
        };

        function ping() {
            if (socket && socket.readyState === 1)
                socket.send(JSON.stringify({ cmd: 'ping', id: -Date.now() }));
        }

        function open() {
            var url = (location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/ws' +
                (options.token ? '?token=' + encodeURIComponent(options.token) : '');
            socket = new WebSocket(url);
            var mine = socket;
            socket.onopen = function () {
                attempt = 0;
                samples = [];
                link.connected = true;
                ping();
                // A few quick pings find a short round trip; then one now and
                // then follows the drift.
                var count = 0;
                pingTimer = setInterval(function () {
                    ping();
                    if (++count === 4) {
                        clearInterval(pingTimer);
                        pingTimer = setInterval(ping, 15000);
                    }
                }, 500);
                if (options.onLink)
                    options.onLink(true, 0);
            };
            socket.onmessage = function (event) {
                var receivedAt = Date.now();
                var message;
                try {
                    message = JSON.parse(event.data);
                } catch (e) {
                    return;
                }
                if (message.type === 'state' && message.state) {
                    // Until a ping comes back the push's own time is the guess.
                    if (!samples.length)
                        link.offset = message.state.serverNow - receivedAt;
                    link.state = message.state;
                    if (options.onState)
                        options.onState(message.state);
                } else if (message.type === 'pong' && typeof message.id === 'number' && message.id < 0) {
                    samples.push({ sentAt: -message.id, receivedAt: receivedAt, serverNow: message.serverNow });
                    if (samples.length > 8)
                        samples.shift();
                    link.offset = bestOffset(samples);
                } else if (message.type === 'result') {
                    var sent = pending[message.id];
                    delete pending[message.id];
                    if (options.onResult)
                        options.onResult(message, sent);
                }
            };
            socket.onclose = function (event) {
                if (mine !== socket)
                    return;
                clearInterval(pingTimer);
                socket = null;
                pending = {};
                link.connected = false;
                if (options.onLink)
                    options.onLink(false, event.code);
                setTimeout(open, reconnectDelay(attempt++));
            };
        }

        open();
        return link;
    }

    // Sets `el`'s font size so its text fills `box` without overflowing;
    // measured once per text shape (digits weigh alike in tabular figures).
    function fitText(el, box, fill) {
        var shape = el.textContent.replace(/\d/g, '0') + '|' + box.clientWidth + 'x' + box.clientHeight;
        if (el.dataset.shape === shape)
            return;
        el.dataset.shape = shape;
        el.style.fontSize = '100px';
        var w = el.scrollWidth || 1;
        var h = el.scrollHeight || 1;
        var size = Math.min(100 * box.clientWidth * (fill || 0.94) / w, 100 * box.clientHeight * 0.92 / h);
        el.style.fontSize = Math.max(10, Math.floor(size)) + 'px';
    }

    // Sets a text only when it changed: user text, never markup.
    function setText(el, text) {
        var value = text === null || text === undefined ? '' : String(text);
        if (el.textContent !== value)
            el.textContent = value;
    }

    // Keeps the screen on while the page is shown, where the browser has a
    // wake lock. The lock goes whenever the page is hidden, so it is asked
    // for again when the page comes back (and on a tap, for browsers that
    // want a gesture first).
    function keepAwake() {
        if (!('wakeLock' in navigator))
            return;
        var lock = null;
        function request() {
            if (lock || document.visibilityState !== 'visible')
                return;
            navigator.wakeLock.request('screen').then(function (granted) {
                lock = granted;
                granted.addEventListener('release', function () { lock = null; });
            }).catch(function () {});
        }
        document.addEventListener('visibilitychange', request);
        document.addEventListener('click', request);
        request();
    }

    api.connect = connect;
    api.keepAwake = keepAwake;
    api.fitText = fitText;
    api.setText = setText;

    if (typeof module === 'object' && module.exports)
        module.exports = api;
    else
        root.Melvanta = api;
})(this);
