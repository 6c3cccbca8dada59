"""The game's sounds, synthesised with NumPy (voices spoken by espeak-ng) and
encoded to OGG Vorbis by oggenc at 22,050 Hz, the rate the game's mixer runs
at, so that nothing is resampled while playing.

Filtering is done in the frequency domain over the whole clip. For the rotor
loop that filtering is circular, so its end joins its start without a seam.
"""
import os
import subprocess
import tempfile
import wave

import numpy as np

RATE = 22050
SERIAL = 7411          # fixed Ogg stream serial: oggenc picks a random one otherwise
QUALITY = "3"


def band(x, lo=None, hi=None, order=2):
    """Smooth band-pass by an FFT mask with Butterworth-like skirts."""
    n = len(x)
    f = np.fft.rfftfreq(n, 1.0 / RATE)
    g = np.ones_like(f)
    if lo:
        g *= 1.0 / np.sqrt(1 + (lo / np.maximum(f, 1e-3)) ** (2 * order))
    if hi:
        g *= 1.0 / np.sqrt(1 + (f / hi) ** (2 * order))
    return np.fft.irfft(np.fft.rfft(x) * g, n)


def normalise(x, peak=0.89):
    return x * (peak / max(np.max(np.abs(x)), 1e-9))


def write_ogg(path, x):
    pcm = np.clip(np.round(x * 32767), -32768, 32767).astype("<i2")
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "s.wav")
        with wave.open(wav, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(pcm.tobytes())
        subprocess.run(["oggenc", "-Q", "-q", QUALITY, "-s", str(SERIAL), "-o", path, wav], check=True)


def helicopter(seed=5, seconds=30.0):
    """Rotor loop: main-rotor blade slaps ten times a second, tail-rotor buzz,
    turbine whine and wind, all with whole periods in the clip so that its
    end joins its start without a seam."""
    r = np.random.default_rng(seed)
    n = int(RATE * seconds)
    t = np.arange(n) / RATE
    period = 2205                      # 10 blade passes a second, 300 in the clip
    k = np.arange(n) // period
    phase = (np.arange(n) % period) / RATE
    # Blades alternate a little in strength, as a real rotor's do.
    strength = np.where(k % 2 == 0, 1.0, 0.78)
    env = (1 - np.exp(-phase / 0.002)) * np.exp(-phase / 0.028) * strength
    slap = band(r.standard_normal(n), 70, 1100)
    slap = slap / np.std(slap) * env
    thump = band(r.standard_normal(n), 40, 140)
    thump = thump / np.std(thump) * np.exp(-phase / 0.05) * strength
    tail = band(np.sign(np.sin(2 * np.pi * 62.5 * t)), 100, 1500)
    whine = np.sin(2 * np.pi * 1900 * t + 3 * np.sin(2 * np.pi * t / seconds)) * 0.008
    wind = band(r.standard_normal(n), 60, 700)
    wind /= np.std(wind)
    # Slow swell of loudness, as if the aircraft turned in the wind.
    sway = 1.0 + 0.10 * np.sin(2 * np.pi * 3 * t / seconds) + 0.05 * np.sin(2 * np.pi * 7 * t / seconds + 1)
    x = (0.55 * slap + 0.45 * thump + 0.035 * tail + whine + 0.10 * wind) * sway
    x = band(x, 30, 4000)
    # Light compression: the game plays the rotor quietly under everything else.
    x = np.tanh(2.0 * x / np.max(np.abs(x)))
    return normalise(x, 0.85)


def depth_charge(seed=9, seconds=2.3):
    """A charge going off deep under water: a hard low thud, a rumble that
    rolls away, and bubbles breaking the surface."""
    r = np.random.default_rng(seed)
    n = int(RATE * seconds)
    t = np.arange(n) / RATE
    f = 62 * np.exp(-t * 1.4) + 26
    boom = np.sin(2 * np.pi * np.cumsum(f) / RATE) * np.exp(-t * 2.6)
    crack = band(r.standard_normal(n), 60, 1800) * np.exp(-t * 22)
    rumble = band(r.standard_normal(n), 20, 160) * np.exp(-t * 1.7)
    rumble /= np.std(rumble[: RATE // 2])
    bubbles = np.zeros(n)
    for _ in range(60):
        s = int(RATE * (0.5 + r.random() * 1.4))
        ln = int(RATE * (0.02 + r.random() * 0.05))
        if s + ln >= n:
            continue
        bt = np.arange(ln) / RATE
        fr = 250 + r.random() * 500
        bubbles[s:s + ln] += np.sin(2 * np.pi * fr * bt * (1 + bt * 8)) * np.exp(-bt * 60) * (0.2 + 0.3 * r.random())
    # The body of the blast, so that small speakers without deep bass hear it too.
    body = band(r.standard_normal(n), 90, 700) * np.exp(-t * 6.5)
    body /= np.std(body[: RATE // 5])
    x = 1.4 * boom + 0.8 * crack + 0.55 * rumble + 0.25 * body + 0.12 * bubbles * np.exp(-(t - 0.5) * 1.2)
    x = band(x, 18, 4000)
    attack = np.clip(t / 0.004, 0, 1)
    fade = np.clip((seconds - t) / 0.3, 0, 1)
    return normalise(np.tanh(1.6 * x * attack * fade / np.max(np.abs(x))), 0.95)


def clack(seed=3):
    """A rocker switch: a sharp click and, 45 ms later, the duller clack of the
    paddle landing."""
    r = np.random.default_rng(seed)
    n = int(RATE * 0.16)
    t = np.arange(n) / RATE
    x = np.zeros(n)
    for at, gain, tone, decay in ((0.004, 1.0, 3200, 420), (0.049, 0.8, 1500, 260)):
        s = int(at * RATE)
        tt = t[s:] - at
        env = np.exp(-tt * decay)
        x[s:] += gain * env * (0.6 * r.standard_normal(len(tt)) + np.sin(2 * np.pi * tone * tt))
    x = band(x, 300, 7000)
    return normalise(x, 0.8)


def speak(text, voice, speed, pitch):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "v.wav")
        subprocess.run(["espeak-ng", "-v", voice, "-s", str(speed), "-p", str(pitch), "-a", "160",
                        "-w", wav, text], check=True)
        with wave.open(wav, "rb") as w:
            assert w.getframerate() == RATE and w.getsampwidth() == 2
            pcm = np.frombuffer(w.readframes(w.getnframes()), "<i2").astype(np.float64) / 32768
    nz = np.nonzero(np.abs(pcm) > 0.01)[0]
    return pcm[max(nz[0] - 200, 0): nz[-1] + 400]


def radio(text, voice, speed, pitch, seed, dropouts=0):
    """A voice over a helicopter radio: narrow band, overdriven, with static,
    a squelch burst at each end and, for a bad link, short dropouts."""
    r = np.random.default_rng(seed)
    v = speak(text, voice, speed, pitch)
    v = band(v, 420, 2600, order=3)
    v = np.tanh(4.0 * v / np.max(np.abs(v)))
    pad = int(0.09 * RATE)
    tail = int(0.14 * RATE)
    x = np.concatenate([np.zeros(pad), v, np.zeros(tail)])
    n = len(x)
    t = np.arange(n) / RATE
    if dropouts:
        gate = np.ones(n)
        for _ in range(dropouts):
            s = pad + int(r.random() * (len(v) - 2000))
            ln = int(RATE * (0.03 + r.random() * 0.05))
            gate[s:s + ln] = 0.05
        gate = np.convolve(gate, np.ones(60) / 60, "same")
        x = x * gate
    hiss = band(r.standard_normal(n), 600, 5000) * 0.05
    crackle = (r.random(n) > 0.9985) * r.standard_normal(n) * 0.5
    squelch = band(r.standard_normal(n), 500, 6000) * (
        np.exp(-t / 0.03) * (t < pad / RATE) + np.exp(-(t - t[-1]) ** 2 / 0.0012) * (t > t[-1] - 0.12))
    x = x * 0.8 + hiss + crackle + 0.6 * squelch
    x = band(x, 300, 3400)
    fade = np.clip((t[-1] - t) / 0.02, 0, 1) * np.clip(t / 0.005, 0, 1)
    return normalise(x * fade, 0.9)


VOICES = {
    "breaking up.ogg": ("You're breaking up. Say again.", "en-us+m3", 165, 45, 21, 5),
    "shutup.ogg": ("Shut up and fly!", "en+m7", 170, 35, 22, 0),
    "SOB.ogg": ("Son of a gun!", "en-us+m1", 155, 30, 23, 0),
    "idontseeit.ogg": ("I don't see it.", "en+m3", 150, 40, 24, 0),
}


def build(out_dir):
    write_ogg(os.path.join(out_dir, "helicopter.ogg"), helicopter())
    write_ogg(os.path.join(out_dir, "depth.ogg"), depth_charge())
    write_ogg(os.path.join(out_dir, "clack.ogg"), clack())
    for name, (text, voice, speed, pitch, seed, drops) in VOICES.items():
        write_ogg(os.path.join(out_dir, name), radio(text, voice, speed, pitch, seed, drops))
