// The views' clock arithmetic and the rules their files must keep.
// Run: node src/remote/web/test/remote.test.js
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');

const web = path.join(__dirname, '..');
const M = require(path.join(web, 'remote.js'));

let failures = 0;
function check(name, actual, expected) {
    try {
        assert.deepStrictEqual(actual, expected);
    } catch (e) {
        ++failures;
        console.error('FAIL ' + name + ': got ' + JSON.stringify(actual) + ', want ' + JSON.stringify(expected));
    }
}

// formatLike keeps the sample's fields and the width of its first one.
[
    ['04:59', 299999, '04:59'],
    ['04:59', 300000, '05:00'],
    ['04:59', 59999, '00:59'],
    ['99:59', 6000000, '100:00'],
    ['00:04:59', 3600000, '01:00:00'],
    ['00:04:59', 360000000, '100:00:00'],
    ['299', 61999, '61'],
    ['5', 9000, '9'],
    ['04:59', -800, '00:00'],
    ['+01:05', 66000, '+01:06'],
    ['3天 04时', 1000, null],
    ['', 1000, null],
].forEach(([sample, ms, want]) => check(`formatLike(${sample}, ${ms})`, M.formatLike(sample, ms), want));

// A run at the server: 299.5 s left when the snapshot was made at T.
const T = 1700000000000;
const running = {
    status: 'running', countsDown: true, text: '04:59', endsAt: T + 299500, serverNow: T,
    remainingMs: 299500, elapsedMs: 300500, overtimeMs: 0, durationMs: 600000,
};
const countUp = Object.assign({}, running, { countsDown: false, text: '01:01', elapsedMs: 61500 });
const overtime = Object.assign({}, running, {
    status: 'overtime', text: '01:23', endsAt: T - 83500, remainingMs: 0, overtimeMs: 83500,
});

// [case, state, local now, offset (server ahead of the browser), clock text, speaker text]
[
    ['at the push', running, T, 0, '04:59', '04:59'],
    ['before the flip', running, T + 500, 0, '04:59', '04:59'],
    ['after the flip', running, T + 501, 0, '04:58', '04:58'],
    ['offset applied', running, T - 2000 + 501, 2000, '04:58', '04:58'],
    ['never behind the push', running, T - 600, 0, '04:59', '04:59'],
    ['paused does not move', Object.assign({}, running, { status: 'paused', endsAt: null }), T + 9000, 0, '04:59',
        '04:59'],
    ['time of day is not counted', Object.assign({}, running, { text: '14:03:27' }), T + 5000, 0, '14:03:27',
        '00:04:54'],
    ['long-term text is kept', Object.assign({}, running, { text: '3天 04时05分' }), T + 5000, 0, '3天 04时05分',
        '04:54'],
    ['counting up', countUp, T + 1000, 0, '01:02', '01:02'],
    ['overtime counts up', overtime, T + 1000, 0, '01:24', '+01:24'],
    ['overtime clock resting at zero', Object.assign({}, overtime, { text: '00:00' }), T + 1000, 0, '00:00',
        '+01:24'],
    ['idle shows the set time', Object.assign({}, running, { status: 'idle', endsAt: null, text: '05:00',
        remainingMs: 0 }), T, 0, '05:00', '05:00'],
    ['paused in overtime', Object.assign({}, overtime, { status: 'paused', endsAt: null, text: '00:05',
        overtimeMs: 5000 }), T + 3000, 0, '00:05', '+00:05'],
    ['time up before the push says so', running, T + 300600, 0, '04:59', '+00:01'],
].forEach(([name, state, now, offset, clock, speaker]) => {
    check('clockTextAt: ' + name, M.clockTextAt(state, now, offset), clock);
    check('speakerTextAt: ' + name, M.speakerTextAt(state, now, offset), speaker);
});

check('remainingAt while running', M.remainingAt(running, T + 1000, 250), 298250);
check('remainingAt while paused', M.remainingAt(Object.assign({}, running, { endsAt: null }), T + 1000, 0), 299500);

// The clock offset comes from the ping with the shortest round trip.
check('offsetFrom', M.offsetFrom(1000, 1100, 6050), 5000);
check('bestOffset', M.bestOffset([
    { sentAt: 0, receivedAt: 400, serverNow: 5300 },
    { sentAt: 1000, receivedAt: 1020, serverNow: 6010 },
    { sentAt: 2000, receivedAt: 2200, serverNow: 7000 },
]), 5000);
check('bestOffset of nothing', M.bestOffset([]), null);

check('reconnect back-off', [0, 1, 2, 3, 9].map(M.reconnectDelay), [1000, 2000, 4000, 5000, 5000]);

[
    ['#12abEF', '#12abEF'], ['', '#000'], ['red', '#000'], ['#fff', '#000'],
    ['#000000;background:url(x)', '#000'], [null, '#000'],
].forEach(([colour, want]) => check(`safeColour(${colour})`, M.safeColour(colour, '#000'), want));

[
    ['开始(&S)', 'start'], [' 清零 ', 'clear'], ['暂停', 'pause'], ['继续(&P)', 'resume'], ['', 'x'], [undefined, 'x'],
].forEach(([caption, want]) => check(`captionCommand(${caption})`, M.captionCommand(caption, 'x'), want));
check('captionText', M.captionText('开始(&S)', '-'), '开始');

[
    ['running', true, true], ['paused', true, true], ['running', false, false], ['overtime', true, false],
    ['idle', true, false], ['stopped', true, false],
].forEach(([status, countsDown, want]) =>
    check(`mayAddTime(${status}, ${countsDown})`, M.mayAddTime({ status, countsDown }), want));
check('loadNumber counts from 1', M.loadNumber({ index: 0, name: 'a' }), 1);

// The server's Content-Security-Policy refuses inline scripts, styles and
// handlers; user text goes in as text, never as markup; every file a page
// asks for must be in the resources or the program answers 404.
const qrc = fs.readFileSync(path.join(web, 'remote.qrc'), 'utf8');
const listed = [...qrc.matchAll(/<file>([^<]+)<\/file>/g)].map((m) => m[1]);
const files = fs.readdirSync(web).filter((f) => /\.(html|js|css)$/.test(f));
check('every page file is a resource', files.filter((f) => !listed.includes(f)), []);
check('every resource exists', listed.filter((f) => !fs.existsSync(path.join(web, f))), []);
for (const file of files) {
    const text = fs.readFileSync(path.join(web, file), 'utf8');
    if (file.endsWith('.html')) {
        check(file + ': no inline script', /<script(?![^>]*\bsrc=)[^>]*>/i.test(text), false);
        check(file + ': no inline style', /<style\b|\sstyle=/i.test(text), false);
        check(file + ': no inline handler', /\son[a-z]+=/i.test(text), false);
        const wanted = [...text.matchAll(/(?:src|href)="\/([^"]+)"/g)].map((m) => m[1]);
        check(file + ': asks only for resources', wanted.filter((f) => !listed.includes(f)), []);
    }
    if (file.endsWith('.js'))
        check(file + ': no markup from text', /innerHTML|outerHTML|insertAdjacentHTML|document\.write/.test(text), false);
}

if (failures) {
    console.error(failures + ' check(s) failed');
    process.exit(1);
}
console.log('remote web: all checks passed');
