// The lectern: the time left (or over) in the phase colour, the prompt, the
// stage and the next one, and the operator's message to the speaker.
(function () {
    'use strict';
    var M = window.Melvanta;
    var $ = function (id) { return document.getElementById(id); };
    var clock = $('clock');
    var clockbox = $('clockbox');
    var message = $('message');
    var STATUS = { idle: '未开始', running: '', paused: '已暂停', overtime: '超时', stopped: '已停止' };

    function show(state) {
        M.setText($('stage'), state.stage ? state.stage.name : '');
        M.setText($('status'), STATUS[state.status] || '');
        M.setText($('prompt'), state.prompt);
        M.setText($('next'), state.next && state.next.name ? '下一个：' + state.next.name : '');
        document.body.style.setProperty('--clock', M.safeColour(state.clockColour, '#ffffff'));
        document.body.style.setProperty('--background', M.safeColour(state.backgroundColour, '#000000'));
        document.body.classList.toggle('is-overtime', state.status === 'overtime');
        document.body.classList.toggle('is-paused', state.status === 'paused');
        var text = state.message && state.message.text ? state.message.text : '';
        message.hidden = !text;
        M.setText($('messagetext'), text);
        message.classList.toggle('flashing', !!(text && state.message.flash));
        document.body.classList.toggle('has-message', !!text);
        tick();
    }

    function tick() {
        if (!link.state)
            return;
        M.setText(clock, M.speakerTextAt(link.state, Date.now(), link.offset));
        M.fitText(clock, clockbox);
    }

    var link = M.connect({
        onState: show,
        onLink: function (connected) {
            $('linkdown').hidden = connected;
            document.body.classList.toggle('is-down', !connected);
        }
    });
    setInterval(tick, 100);
    window.addEventListener('resize', tick);
    M.keepAwake();
})();
