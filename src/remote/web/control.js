// The operator's phone: run commands, the stage to load, time to add, and a
// message to the speaker, all through the control key from the page's link.
(function () {
    'use strict';
    var M = window.Melvanta;
    var $ = function (id) { return document.getElementById(id); };
    var token = new URLSearchParams(location.search).get('token') || '';
    var keyRefused = false;
    var NAMES = {
        start: '开始', stop: '停止', pause: '暂停', resume: '继续', toggle: '暂停/继续', clear: '清零',
        next: '下一个', previous: '上一个', load: '选择阶段', addtime: '调整时间', message: '消息'
    };
    var STATUS = { idle: '未开始', running: '计时中', paused: '已暂停', overtime: '超时', stopped: '已停止' };
    var commandButtons = Array.prototype.slice.call(document.querySelectorAll('.cmd'));

    function commandName(command) {
        if (!command)
            return '命令';
        if (command.cmd === 'addtime')
            return (command.seconds > 0 ? '+' : '−') + Math.abs(command.seconds / 60) + ' 分';
        if (command.cmd === 'message' && command.hide)
            return '隐藏消息';
        return NAMES[command.cmd] || command.cmd;
    }

    function report(text, failed) {
        var el = $('result');
        M.setText(el, text);
        el.classList.toggle('failed', !!failed);
    }

    function send(command) {
        if (!link.send(command))
            report(commandName(command) + '：未连接', true);
        else
            report(commandName(command) + '…', false);
    }

    function updateButtons() {
        var state = link.state;
        var usable = !!token && !keyRefused && link.connected && !!state;
        commandButtons.forEach(function (button) {
            button.disabled = !usable || (button.classList.contains('addtime') && !M.mayAddTime(state));
        });
        $('text').disabled = !usable;
    }

    function fillStages(state) {
        var row = $('stagesrow');
        var select = $('stages');
        var stages = Array.isArray(state.stages) ? state.stages : [];
        row.hidden = stages.length === 0;
        var shape = JSON.stringify(stages);
        if (select.dataset.shape !== shape) {
            select.dataset.shape = shape;
            while (select.firstChild)
                select.removeChild(select.firstChild);
            var none = document.createElement('option');
            none.value = '';
            none.textContent = '—';
            select.appendChild(none);
            stages.forEach(function (stage) {
                var option = document.createElement('option');
                option.value = String(M.loadNumber(stage));
                option.textContent = M.loadNumber(stage) + '. ' + stage.name;
                select.appendChild(option);
            });
        }
        if (document.activeElement !== select)
            select.value = state.stage && state.stage.index >= 0 ? String(M.loadNumber(state.stage)) : '';
    }

    function show(state) {
        M.setText($('stage'), state.stage ? state.stage.name : '');
        M.setText($('status'), STATUS[state.status] || '');
        // The two state buttons read and act as the command menu's items do.
        var captions = state.captions || {};
        M.setText($('start'), M.captionText(captions.start, '开始'));
        M.setText($('pause'), M.captionText(captions.pause, '暂停'));
        $('start').dataset.cmd = M.captionCommand(captions.start, 'start');
        $('pause').dataset.cmd = M.captionCommand(captions.pause, 'toggle');
        M.setText($('current'), state.message && state.message.text ? '当前消息：' + state.message.text : '');
        fillStages(state);
        updateButtons();
        tick();
    }

    function tick() {
        if (link.state)
            M.setText($('clock'), M.clockTextAt(link.state, Date.now(), link.offset));
    }

    var link = M.connect({
        token: token,
        onState: show,
        onLink: function (connected, code) {
            $('linkdown').hidden = connected;
            if (!connected && code === 1008) {
                keyRefused = true;
                report('控制密钥无效或已更换（请重新扫描程序中的二维码）', true);
            }
            updateButtons();
        },
        onResult: function (result, command) {
            if (result.ok)
                report(commandName(command) + '：完成', false);
            else
                report(commandName(command) + '：' + (result.error || '失败'), true);
        }
    });

    $('keyneeded').hidden = !!token;
    updateButtons();
    setInterval(tick, 100);

    document.querySelectorAll('[data-cmd]').forEach(function (button) {
        button.addEventListener('click', function () { send({ cmd: button.dataset.cmd }); });
    });
    document.querySelectorAll('[data-seconds]').forEach(function (button) {
        button.addEventListener('click', function () {
            send({ cmd: 'addtime', seconds: parseInt(button.dataset.seconds, 10) });
        });
    });
    $('stages').addEventListener('change', function (event) {
        var n = parseInt(event.target.value, 10);
        if (n >= 1)
            send({ cmd: 'load', n: n });
        event.target.blur();
    });
    $('send').addEventListener('click', function () {
        send({ cmd: 'message', text: $('text').value, flash: $('flash').checked, onScreen: $('onscreen').checked });
    });
    $('hide').addEventListener('click', function () { send({ cmd: 'message', hide: true }); });
})();
