// The audience clock: the main screen's text, colours, titles and prompt,
// filling the browser.
(function () {
    'use strict';
    var M = window.Melvanta;
    var $ = function (id) { return document.getElementById(id); };
    var screen = $('screen');
    var clock = $('clock');
    var clockbox = $('clockbox');
    var fullscreenButton = $('fullscreen');
    var linkdown = $('linkdown');

    function show(state) {
        M.setText($('title'), state.title);
        M.setText($('subtitle'), state.subtitle);
        M.setText($('prompt'), state.prompt);
        screen.classList.toggle('has-titles', !!(state.title || state.subtitle));
        screen.classList.toggle('has-prompt', !!state.prompt);
        document.body.style.setProperty('--clock', M.safeColour(state.clockColour, '#ffffff'));
        document.body.style.setProperty('--background', M.safeColour(state.backgroundColour, '#000000'));
        clock.classList.toggle('flashing', !!state.flashing);
        tick();
    }

    function tick() {
        if (!link.state)
            return;
        M.setText(clock, M.clockTextAt(link.state, Date.now(), link.offset));
        clock.setAttribute('aria-label', clock.textContent);
        M.fitText(clock, clockbox);
    }

    var link = M.connect({
        onState: show,
        onLink: function (connected) {
            linkdown.hidden = connected;
            document.body.classList.toggle('is-down', !connected);
        }
    });
    setInterval(tick, 100);
    window.addEventListener('resize', tick);

    // Full screen where the browser allows it; the button hides itself there.
    var root = document.documentElement;
    var request = root.requestFullscreen || root.webkitRequestFullscreen;
    function fullscreenElement() {
        return document.fullscreenElement || document.webkitFullscreenElement || null;
    }
    function updateFullscreenButton() {
        fullscreenButton.hidden = !request || !!fullscreenElement();
    }
    fullscreenButton.addEventListener('click', function () {
        var result = request.call(root);
        if (result && result.catch)
            result.catch(function () {});
    });
    document.addEventListener('fullscreenchange', updateFullscreenButton);
    document.addEventListener('webkitfullscreenchange', updateFullscreenButton);
    updateFullscreenButton();

    M.keepAwake();
})();
